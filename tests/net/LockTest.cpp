// ZSynchObjectLock, the scoped guard over an ISynchObject. ZCriticalSection only
// forwards to the platform's critical section, whose rules are the platform's.
#include <gtest/gtest.h>

#include <string>

#include "foundation/ZUnknown.h"
#include "net/ZSynchObjectLock.h"

namespace {

// Records what the guard does to the object it holds.
class RecordingLock : public ZUnknown<ISynchObject> {
public:
    void Lock() override { calls += "L"; }
    void Unlock() override { calls += "U"; }
    std::string calls;

    LONG References()
    {
        AddRef();
        return static_cast<LONG>(Release());
    }
};

TEST(SynchObjectLock, LocksUnlocksAndHoldsAReferenceAsAsked)
{
    // steps: l = guard.Lock, u = guard.Unlock
    struct Case { const char* what; bool lockNow; const char* steps; const char* expected; } cases[] = {
        {"locked now, unlocked by the destructor", true, "", "LU"},
        {"not locked, nothing to undo", false, "", ""},
        {"locked later", false, "l", "LU"},
        {"unlocked early, not again at the end", true, "u", "LU"},
        {"second Lock on a locked guard is ignored", true, "l", "LU"},
        {"second Unlock is ignored", true, "uu", "LU"},
        {"relock after unlock", true, "ul", "LULU"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingLock* object = new RecordingLock;
        {
            ZSynchObjectLock guard(object, c.lockNow);
            EXPECT_EQ(object->References(), 2) << "the guard holds a reference";
            for (const char* step = c.steps; *step; ++step) {
                if (*step == 'l')
                    guard.Lock();
                else
                    guard.Unlock();
            }
        }
        EXPECT_EQ(object->calls, c.expected);
        EXPECT_EQ(object->References(), 1) << "the guard gave its reference back";
        object->Release();
    }
    // A null object makes a guard that does nothing.
    ZSynchObjectLock none(nullptr);
    none.Lock();
    EXPECT_FALSE(none.IsLocked());
}

}  // namespace
