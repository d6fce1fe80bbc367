// ZCriticalSection and the scoped guard ZSynchObjectLock. The section's
// recursion is the platform's rule and is left to it.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "net/ZCriticalSection.h"
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
    struct Case {
        const char* what;
        bool lockNow;
        const char* steps;  // l = guard.Lock, u = guard.Unlock
        const char* expected;
    } cases[] = {
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
}

TEST(SynchObjectLock, ANullObjectMakesAGuardThatDoesNothing)
{
    ZSynchObjectLock guard(nullptr);
    guard.Lock();
    EXPECT_FALSE(guard.IsLocked());
    guard.Unlock();
}

TEST(CriticalSection, ExcludesOtherThreads)
{
    ZCriticalSection* section = new ZCriticalSection;
    // Each thread reads, yields, writes back: without the lock updates get lost.
    long counter = 0;
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                ZSynchObjectLock guard(section);
                const long seen = counter;
                if (i % 64 == 0)
                    ::SwitchToThread();
                counter = seen + 1;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, kThreads * kRounds);
    EXPECT_EQ(section->Release(), 0u);
}

}  // namespace
