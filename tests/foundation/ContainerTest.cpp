// ZArray, ZMap and reference counting.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "foundation/ZArray.h"
#include "foundation/ZMap.h"
#include "foundation/ZUnknown.h"

namespace {

TEST(ZArrayTest, GrowsInsertsRemovesAndChecksIndices)
{
    ZArray<std::wstring> a(3);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a.Add(std::to_wstring(i)), static_cast<size_t>(i));
    EXPECT_EQ(a.GetCount(), 10u);
    EXPECT_EQ(a.GetCapacity(), 12u) << "grows by the fixed step";
    a.InsertAt(0, L"first");
    a.InsertAt(a.GetCount(), L"last");
    a.RemoveAt(1, 2);
    EXPECT_EQ(a[0], L"first");
    EXPECT_EQ(a[1], L"2");
    EXPECT_EQ(a[a.GetCount() - 1], L"last");
    EXPECT_THROW(a.GetAt(a.GetCount()), ZArray<std::wstring>::OutOfRange);
    EXPECT_THROW(a.InsertAt(a.GetCount() + 1, L"x"), ZArray<std::wstring>::OutOfRange);
    EXPECT_THROW(a.RemoveAt(5, a.GetCount()), ZArray<std::wstring>::OutOfRange);
    a.Add(a[0]);  // the source lives inside the array while it grows
    EXPECT_EQ(a[a.GetCount() - 1], L"first");
}

// Counts live instances and throws on the n-th copy made after Arm(n). Its
// move may throw as far as the array can tell (it copies), so growth must copy.
class ThrowsOnCopy {
public:
    struct Failure {};
    static inline int live = 0;
    static inline int copiesLeft = -1;  // -1: never throws
    static void Arm(int n) { copiesLeft = n; }

    explicit ThrowsOnCopy(int value) : m_value(value) { ++live; }
    ThrowsOnCopy(const ThrowsOnCopy& other) : m_value(other.m_value)
    {
        if (copiesLeft > 0 && --copiesLeft == 0)
            throw Failure();
        ++live;
    }
    ThrowsOnCopy& operator=(const ThrowsOnCopy&) = default;
    ~ThrowsOnCopy() { --live; }
    int Value() const { return m_value; }

private:
    int m_value;
};

TEST(ZArrayTest, AThrowingCopyLeavesNoElementBehind)
{
    const struct { const char* what; void (*act)(ZArray<ThrowsOnCopy>& source); } cases[] = {
        {"copy construction", [](ZArray<ThrowsOnCopy>& source) { ZArray<ThrowsOnCopy> copy(source); }},
        {"copy assignment",
         [](ZArray<ThrowsOnCopy>& source) {
             ZArray<ThrowsOnCopy> copy;
             copy.Add(ThrowsOnCopy(99));
             copy = source;
         }},
        {"Reserve", [](ZArray<ThrowsOnCopy>& source) { source.Reserve(source.GetCapacity() + 16); }},
        {"growth on Add", [](ZArray<ThrowsOnCopy>& source) { source.Add(ThrowsOnCopy(7)); }},
    };
    for (const auto& c : cases) {
        for (int failAt = 1; failAt <= 5; ++failAt) {
            SCOPED_TRACE(testing::Message() << c.what << ", copy " << failAt << " throws");
            ThrowsOnCopy::Arm(-1);
            ZArray<ThrowsOnCopy> source(1);  // full, so that an Add grows it
            for (int i = 1; i <= 5; ++i)
                source.Add(ThrowsOnCopy(i));
            const int liveBefore = ThrowsOnCopy::live;
            const size_t capacityBefore = source.GetCapacity();
            ThrowsOnCopy::Arm(failAt);
            EXPECT_THROW(c.act(source), ThrowsOnCopy::Failure);
            ThrowsOnCopy::Arm(-1);
            EXPECT_EQ(ThrowsOnCopy::live, liveBefore) << "elements leaked or destroyed twice";
            ASSERT_EQ(source.GetCount(), 5u);
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(source[i].Value(), i + 1);
            EXPECT_EQ(source.GetCapacity(), capacityBefore);
        }
    }
    EXPECT_EQ(ThrowsOnCopy::live, 0);
}

// Callers that catch std::exception must not swallow an indexing fault.
static_assert(!std::is_base_of_v<std::exception, ZArray<int>::OutOfRange>);

TEST(ZArrayTest, CopiesAreIndependent)
{
    ZStringArray a{ZUnicodeString(L"one"), ZUnicodeString(L"two")};
    ZStringArray b = a;
    b[0] = L"uno";
    b.SetSize(3);
    EXPECT_EQ(a[0], L"one");
    EXPECT_EQ(a.GetCount(), 2u);
    EXPECT_TRUE(b[2].empty());
}

TEST(ZMapTest, MatchesAReferenceMapUnderRandomOperations)
{
    std::mt19937 random(1234);
    ZMap<int, int> map(13);
    std::map<int, int> reference;
    for (int step = 0; step < 5000; ++step) {
        const int key = static_cast<int>(random() % 200);
        const unsigned action = random() % 3;
        if (action == 0) {
            map.SetAt(key, step);
            reference[key] = step;
        } else if (action == 1) {
            EXPECT_EQ(map.RemoveKey(key), reference.erase(key) == 1);
        } else {
            int value = -1;
            const bool found = map.Lookup(key, value);
            ASSERT_EQ(found, reference.count(key) == 1);
            ASSERT_EQ(value, found ? reference[key] : -1);
        }
    }
    EXPECT_EQ(map.GetCount(), reference.size());
    EXPECT_EQ(map.GetBucketCount(), 13u) << "the bucket count is fixed: never rehashed";
    size_t visited = 0;
    map.ForEach([&](int key, int value) {
        ++visited;
        EXPECT_EQ(reference.at(key), value);
    });
    EXPECT_EQ(visited, reference.size());
}

struct ICounted : IUnknown {};
class Counted : public ZUnknown<ICounted> {
public:
    explicit Counted(int* deletions) : m_deletions(deletions) {}

protected:
    void DeleteThis() override
    {
        ++*m_deletions;
        delete this;
    }

private:
    int* m_deletions;
};

TEST(ReferenceCounting, LastReleaseDeletesAndQueryInterfaceFails)
{
    int deletions = 0;
    auto* object = new Counted(&deletions);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(deletions, 1);
}

TEST(ReferenceCounting, SmartPointerHoldsExactlyOneReference)
{
    int deletions = 0;
    {
        ZUnknownPointer<Counted> first;
        first.Attach(new Counted(&deletions));  // adopts the creation reference
        ZUnknownPointer<Counted> second(first.Get());
        ZUnknownPointer<Counted> third;
        third = second;
        third = third.Get();  // self-assignment keeps the object alive
        EXPECT_EQ(first->AddRef(), 4u);
        first->Release();
        ZUnknownPointer<Counted> moved(std::move(second));
        EXPECT_FALSE(second);
    }
    EXPECT_EQ(deletions, 1);
}

}  // namespace
