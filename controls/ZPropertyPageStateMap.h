// ZPropertyPageStateMap: the caller's record of which pages of a property tree
// dialog were expanded and which one was selected, kept across runs of the
// dialog so that it opens as the user left it. The key of a page is its tree
// text; a nested page's key is its parent's key, "~" and its own text
// ("Terminal~Emulation").
//
// The map owns its states. Copying a map copies the states, so two maps never
// share (or delete) the same state. GetStates and SetStates give the whole map
// at once, for a host that stores it between sessions.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZMap.h"
#include "foundation/ZUnicodeString.h"

struct ZPropertyPageState {
    bool expanded = true;
    bool selected = false;
};

class TESSARO_API ZPropertyPageStateMap {
public:
    static constexpr size_t kBucketCount = 25;

    ZPropertyPageStateMap() : m_states(kBucketCount) {}
    ZPropertyPageStateMap(const ZPropertyPageStateMap& other);
    ZPropertyPageStateMap& operator=(const ZPropertyPageStateMap& other);

    // Null when the key has no state.
    ZPropertyPageState* Lookup(const ZUnicodeString& key);
    const ZPropertyPageState* Lookup(const ZUnicodeString& key) const;
    // Adds or replaces the state of key.
    void SetAt(const ZUnicodeString& key, const ZPropertyPageState& state);
    size_t GetCount() const { return m_states.GetCount(); }

    using StateList = std::vector<std::pair<ZUnicodeString, ZPropertyPageState>>;
    // Every key and its state, in key order (parents before their children).
    StateList GetStates() const;
    // Replaces every state with those given; a key given twice keeps its last state.
    void SetStates(const StateList& states);

    // A nested page's key.
    static ZUnicodeString ChildKey(const ZUnicodeString& parentKey, const ZUnicodeString& text);

private:
    ZMap<ZUnicodeString, std::unique_ptr<ZPropertyPageState>> m_states;
};
