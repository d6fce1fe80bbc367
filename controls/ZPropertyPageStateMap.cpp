#include "controls/ZPropertyPageStateMap.h"

ZPropertyPageStateMap::ZPropertyPageStateMap(const ZPropertyPageStateMap& other) : m_states(kBucketCount)
{
    other.m_states.ForEach([this](const ZUnicodeString& key, const std::unique_ptr<ZPropertyPageState>& state) {
        SetAt(key, *state);
    });
}

ZPropertyPageStateMap& ZPropertyPageStateMap::operator=(const ZPropertyPageStateMap& other)
{
    if (this != &other) {
        m_states.RemoveAll();
        other.m_states.ForEach([this](const ZUnicodeString& key, const std::unique_ptr<ZPropertyPageState>& state) {
            SetAt(key, *state);
        });
    }
    return *this;
}

ZPropertyPageState* ZPropertyPageStateMap::Lookup(const ZUnicodeString& key)
{
    std::unique_ptr<ZPropertyPageState>* found = m_states.Lookup(key);
    return found ? found->get() : nullptr;
}

const ZPropertyPageState* ZPropertyPageStateMap::Lookup(const ZUnicodeString& key) const
{
    const std::unique_ptr<ZPropertyPageState>* found = m_states.Lookup(key);
    return found ? found->get() : nullptr;
}

void ZPropertyPageStateMap::SetAt(const ZUnicodeString& key, const ZPropertyPageState& state)
{
    std::unique_ptr<ZPropertyPageState>& slot = m_states[key];
    if (slot)
        *slot = state;
    else
        slot = std::make_unique<ZPropertyPageState>(state);
}

ZUnicodeString ZPropertyPageStateMap::ChildKey(const ZUnicodeString& parentKey, const ZUnicodeString& text)
{
    return parentKey + L"~" + text;
}
