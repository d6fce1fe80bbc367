// ZStringComboBox: a combo box whose entries each carry a hidden value. The
// dialog shows the texts and reads and sets the values.
//
// Invariant: entry i of the control carries m_values[i]; a sorted control
// places a new text where it likes, and its value goes to the same index.
#pragma once

#include <afxwin.h>

#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZStringComboBox : public CComboBox {
public:
    // The entry's index, or CB_ERR / CB_ERRSPACE when the control refused the
    // text; a refused text adds no value.
    int AddItem(const ZUnicodeString& text, const ZString& value);
    // The text is the library message messageId on one line.
    int AddItem(UINT messageId, const ZString& value);

    // The selected entry's value; empty when nothing is selected.
    ZString GetCurrentValue() const;
    // Selects the first entry carrying value (case-sensitive); without one the
    // selection stays.
    void SetCurrentValue(ZString value);

    // Empties the control and the values together.
    void ResetContent();

private:
    std::vector<ZString> m_values;
};
