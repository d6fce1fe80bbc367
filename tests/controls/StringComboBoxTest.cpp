// The value combo box against the real control: values stay with their texts.
#include <gtest/gtest.h>

#include <afxwin.h>

#include "controls/ZStringComboBox.h"
#include <commctrl.h>

namespace {

class StringComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                      nullptr, nullptr));
    }
    void TearDown() override
    {
        m_combo.DestroyWindow();
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
    }
    void Create(DWORD extraStyle)
    {
        ASSERT_TRUE(m_combo.Create(WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL | extraStyle, CRect(0, 0, 200, 120),
                                   &m_parent, 1));
    }
    CWnd m_parent;
    ZStringComboBox m_combo;
};

TEST_F(StringComboBoxTest, SortedControlKeepsEachValueWithItsText)
{
    Create(CBS_SORT);
    for (const char* letter : {"c", "b", "a"})
        m_combo.AddItem(ZUnicodeString(ZString(letter)), ZString(std::string("value-") + letter));
    for (const char* letter : {"a", "b", "c"}) {
        const int index = m_combo.FindStringExact(-1, ZUnicodeString(ZString(letter)).c_str());
        ASSERT_GE(index, 0);
        m_combo.SetCurSel(index);
        EXPECT_EQ(m_combo.GetCurrentValue().str(), std::string("value-") + letter);
    }
}

TEST_F(StringComboBoxTest, SetCurrentValueSelectsTheFirstExactMatchOnlyAndNoSelectionHasNoValue)
{
    Create(0);
    m_combo.AddItem(ZUnicodeString(L"one"), ZString("Same"));
    m_combo.AddItem(ZUnicodeString(L"two"), ZString("same"));
    m_combo.AddItem(ZUnicodeString(L"three"), ZString("same"));
    EXPECT_TRUE(m_combo.GetCurrentValue().empty());  // nothing selected yet
    m_combo.SetCurrentValue(ZString("same"));
    EXPECT_EQ(m_combo.GetCurSel(), 1);
    m_combo.SetCurrentValue(ZString("SAME"));
    EXPECT_EQ(m_combo.GetCurSel(), 1);
    m_combo.SetCurrentValue(ZString("Same"));
    EXPECT_EQ(m_combo.GetCurSel(), 0);
}

TEST_F(StringComboBoxTest, MessageTextsCarryTheirValues)
{
    Create(0);
    EXPECT_EQ(m_combo.AddItem(0x6133004Eu, ZString("1.2.840.113549.1.1.5")), 0);
    EXPECT_EQ(m_combo.AddItem(0x6133004Fu, ZString("1.2.840.113549.1.1.11")), 1);
    CStringW text;
    m_combo.GetLBText(0, text);
    EXPECT_EQ(text, L"SHA-1");
    m_combo.SetCurrentValue(ZString("1.2.840.113549.1.1.11"));
    EXPECT_EQ(m_combo.GetCurSel(), 1);
}

// A control that refuses a text (CB_ERRSPACE, as when it runs out of memory)
// must not get a value for it, so the values of later entries stay aligned.
LRESULT CALLBACK RefuseNextAdd(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == CB_ADDSTRING) {
        ::RemoveWindowSubclass(window, RefuseNextAdd, id);
        return CB_ERRSPACE;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(StringComboBoxTest, RefusedTextAddsNoValue)
{
    Create(0);
    m_combo.AddItem(ZUnicodeString(L"first"), ZString("1"));
    ASSERT_TRUE(::SetWindowSubclass(m_combo.m_hWnd, RefuseNextAdd, 1, 0));
    EXPECT_EQ(m_combo.AddItem(ZUnicodeString(L"lost"), ZString("x")), CB_ERRSPACE);
    EXPECT_EQ(m_combo.AddItem(ZUnicodeString(L"second"), ZString("2")), 1);
    m_combo.SetCurSel(1);
    EXPECT_EQ(m_combo.GetCurrentValue().str(), "2");
    m_combo.SetCurrentValue(ZString("x"));
    EXPECT_EQ(m_combo.GetCurSel(), 1);
}

}  // namespace
