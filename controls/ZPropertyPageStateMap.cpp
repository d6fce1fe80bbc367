#include "controls/ZPropertyPageStateMap.h"

#include <algorithm>

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

ZPropertyPageStateMap::StateList ZPropertyPageStateMap::GetStates() const
{
    StateList states;
    states.reserve(m_states.GetCount());
    m_states.ForEach([&states](const ZUnicodeString& key, const std::unique_ptr<ZPropertyPageState>& state) {
        states.emplace_back(key, *state);
    });
    // The buckets' order is the hash's: a stored map reads the same on every save.
    std::sort(states.begin(), states.end(), [](const auto& a, const auto& b) { return a.first.str() < b.first.str(); });
    return states;
}

void ZPropertyPageStateMap::SetStates(const StateList& states)
{
    m_states.RemoveAll();
    for (const auto& [key, state] : states)
        SetAt(key, state);
}

ZUnicodeString ZPropertyPageStateMap::ChildKey(const ZUnicodeString& parentKey, const ZUnicodeString& text)
{
    return parentKey + L"~" + text;
}
