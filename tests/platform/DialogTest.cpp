// Dialogs under a real dialog manager: the modal loop, its PreTranslateMessage
// walk and keyboard handling, and data exchange. Keyboard messages are posted
// to the controls, then a sentinel that records what they did.
#include <gtest/gtest.h>

#include "platform/mfc/afxwin.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/WindowReaders.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using TestSupport::DialogTemplate;

constexpr UINT kSentinel = WM_APP + 1;
enum : int { kFirstEdit = 100, kSecondEdit = 101, kNameEdit = 102, kCheck = 110, kCombo = 130 };

// One record of the PreTranslateMessage walk: who saw what.
struct Seen {
    std::wstring who;
    UINT message;
    WPARAM wParam;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s)
{
    return out << std::string(s.who.begin(), s.who.end()) << " 0x" << std::hex << s.message << " " << s.wParam;
}

// An edit that records the walk and eats the character 'z'.
class WalkEdit : public CWnd {
public:
    explicit WalkEdit(std::vector<Seen>& log) : m_log(log) {}
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_CHAR || msg->message == WM_KEYDOWN || msg->message == kSentinel)
            m_log.push_back({L"edit", msg->message, msg->wParam});
        return msg->message == WM_CHAR && msg->wParam == 'z';
    }

private:
    std::vector<Seen>& m_log;
};

// A form of two numbers and a name, shown modally and driven by a script run in OnInitDialog.
class FormDialog : public CDialog {
public:
    using Script = void (*)(FormDialog&);

    FormDialog(Script script) : m_script(script), m_edit(m_walk) {}

    int m_number = 5;
    UINT m_count = 3;
    CStringW m_name = L"alpha";
    std::vector<Seen> m_walk;
    std::vector<std::wstring> m_prompts;     // texts of the boxes shown by OnOK
    std::vector<Seen> m_sentinelState;       // focus and selection at each sentinel
    std::wstring m_editTextAtSentinel;
    int m_okPresses = 0;
    Script m_script;
    WalkEdit m_edit;

    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_script(*this);
        return TRUE;
    }

    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, kFirstEdit, m_edit);
        DDX_Text(dx, kFirstEdit, m_number);
        DDV_MinMaxInt(dx, m_number, 1, 10);
        DDX_Text(dx, kSecondEdit, m_count);
        DDX_Text(dx, kNameEdit, m_name);
        DDV_MaxChars(dx, m_name, 8);
    }

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_CHAR || msg->message == WM_KEYDOWN || msg->message == kSentinel)
            m_walk.push_back({L"dialog", msg->message, msg->wParam});
        return CDialog::PreTranslateMessage(msg);
    }

    void OnOK() override
    {
        ++m_okPresses;
        TestSupport::MessageBoxWatcher watcher(IDOK);  // only the prompts activate from here on
        CDialog::OnOK();
        for (const auto& box : watcher.Boxes())
            m_prompts.push_back(box.text);
        if (m_hWnd && ContinueModal())
            PostMessage(kSentinel, 2);  // after a refusal: the next step of the script
    }

    afx_msg LRESULT OnSentinel(WPARAM step, LPARAM)
    {
        HWND focus = ::GetFocus();
        DWORD start = 0, end = 0;
        ::SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        m_sentinelState.push_back({focus == Item(kFirstEdit) ? L"first" : focus == Item(kSecondEdit) ? L"second"
                                   : focus == Item(kNameEdit) ? L"name" : L"other",
                                   start, end});
        m_editTextAtSentinel = TestSupport::WindowText(Item(kFirstEdit));
        if (step == 1)
            EndDialog(IDRETRY);
        if (step == 2 && m_okPresses == 1) {
            if (m_sentinelState.back().who == L"other") {
                EndDialog(IDABORT);  // the refusal lost the focus: stop here
                return 0;
            }
            // Correct the refused value and press Enter again.
            ::SetWindowTextW(focus, focus == Item(kNameEdit) ? L"short" : L"7");
            ::PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
        }
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FormDialog, CDialog)
    ON_MESSAGE(kSentinel, OnSentinel)
END_MESSAGE_MAP()

DialogTemplate FormTemplate()
{
    DialogTemplate form(L"Form", 200, 120);
    form.Add(DialogTemplate::Edit, kFirstEdit, L"", 10, 10, 80, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
        .Add(DialogTemplate::Edit, kSecondEdit, L"", 10, 30, 80, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
        .Add(DialogTemplate::Edit, kNameEdit, L"", 10, 50, 80, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
        .Add(DialogTemplate::Button, IDOK, L"OK", 120, 10, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP)
        .Add(DialogTemplate::Button, IDCANCEL, L"Cancel", 120, 30, 60, 14, BS_PUSHBUTTON | WS_TABSTOP);
    return form;
}

INT_PTR RunForm(FormDialog& dialog, CWnd* owner = nullptr)
{
    DialogTemplate form = FormTemplate();
    EXPECT_TRUE(dialog.InitModalIndirect(form.Get(), owner));
    return dialog.DoModal();
}

TEST(DialogModal, PreTranslateWalkRunsFromTheControlUpToTheDialog)
{
    FormDialog dialog([](FormDialog& d) {
        HWND edit = d.Item(kFirstEdit);
        ::SetWindowTextW(edit, L"");
        for (wchar_t ch : {L'x', L'z', L'y'})  // 'z' is eaten by the edit's PreTranslateMessage
            ::PostMessageW(edit, WM_CHAR, ch, 1);
        ::PostMessageW(d.m_hWnd, kSentinel, 1, 0);
    });
    EXPECT_EQ(RunForm(dialog), IDRETRY);

    const std::vector<Seen> expected = {
        {L"edit", WM_CHAR, 'x'}, {L"dialog", WM_CHAR, 'x'},
        {L"edit", WM_CHAR, 'z'},
        {L"edit", WM_CHAR, 'y'}, {L"dialog", WM_CHAR, 'y'},
        {L"dialog", kSentinel, 1},
    };
    EXPECT_EQ(dialog.m_walk, expected);
    EXPECT_EQ(dialog.m_editTextAtSentinel, L"xy");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_edit.m_hWnd, nullptr);  // the control went with its dialog
}

TEST(DialogModal, KeyboardEndsTheDialog)
{
    struct Case {
        const wchar_t* name;
        FormDialog::Script script;
        INT_PTR result;
    };
    const Case cases[] = {
        {L"Enter presses the default button, and the values reach the members",
         [](FormDialog& d) {
             ::SetWindowTextW(d.Item(kFirstEdit), L" 9 ");
             ::SetWindowTextW(d.Item(kSecondEdit), L"4000000000");
             ::SetWindowTextW(d.Item(kNameEdit), L"eight ch");
             ::PostMessageW(d.Item(kNameEdit), WM_KEYDOWN, VK_RETURN, 1);
         }, IDOK},
        {L"Escape cancels",
         [](FormDialog& d) { ::PostMessageW(d.Item(kSecondEdit), WM_KEYDOWN, VK_ESCAPE, 1); }, IDCANCEL},
        {L"EndDialog during OnInitDialog", [](FormDialog& d) { d.EndDialog(42); }, 42},
        {L"WM_QUIT", [](FormDialog&) { ::PostQuitMessage(17); }, -1},
    };
    for (const Case& c : cases) {
        FormDialog dialog(c.script);
        EXPECT_EQ(RunForm(dialog), c.result) << testing::PrintToString(std::wstring(c.name));
        EXPECT_TRUE(dialog.m_prompts.empty());
        if (c.result == IDOK) {
            EXPECT_EQ(std::make_tuple(dialog.m_number, dialog.m_count, std::wstring(dialog.m_name)),
                      std::make_tuple(9, 4000000000u, std::wstring(L"eight ch")));
        }
        if (c.result == -1) {
            // The quit goes on to the enclosing loop with its exit code.
            MSG msg = {};
            ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
            EXPECT_EQ(msg.wParam, 17u);
        }
    }
}

TEST(DialogModal, RefusedValueRefocusesTheFieldUntilCorrected)
{
    struct Case {
        const wchar_t* field;
        int id;
        const wchar_t* text;
        const wchar_t* prompt;
    };
    const Case cases[] = {
        {L"first", kFirstEdit, L"50", L"Please enter an integer between 1 and 10."},
        {L"first", kFirstEdit, L"4x", L"Please enter an integer."},
        {L"first", kFirstEdit, L"99999999999", L"Please enter an integer."},
        {L"second", kSecondEdit, L"-3", L"Please enter a positive integer."},
        {L"name", kNameEdit, L"much too long", L"Please enter no more than 8 characters."},
    };
    for (const Case& c : cases) {
        static const Case* current;
        current = &c;
        FormDialog dialog([](FormDialog& d) {
            ::SetWindowTextW(d.Item(current->id), current->text);
            ::PostMessageW(d.Item(kFirstEdit), WM_KEYDOWN, VK_RETURN, 1);
        });
        EXPECT_EQ(RunForm(dialog), IDOK) << c.text;
        EXPECT_EQ(dialog.m_okPresses, 2) << c.text;
        ASSERT_EQ(dialog.m_prompts.size(), 1u) << c.text;
        EXPECT_EQ(dialog.m_prompts[0], c.prompt) << c.text;
        // At the refusal: the failing field has the focus and all its text selected.
        EXPECT_EQ(dialog.m_sentinelState, (std::vector<Seen>{{c.field, 0, wcslen(c.text)}})) << c.text;
    }
}

TEST(DialogModal, OwnerIsDisabledWhileTheDialogRuns)
{
    HWND owner = ::CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    static BOOL enabledDuring;
    static HWND ownerDuring;
    FormDialog dialog([](FormDialog& d) {
        ownerDuring = ::GetWindow(d.m_hWnd, GW_OWNER);
        enabledDuring = ::IsWindowEnabled(ownerDuring);
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(RunForm(dialog, CWnd::FromHandle(owner)), IDOK);
    EXPECT_EQ(ownerDuring, owner);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
    CWnd::DeleteTempMap();
}

TEST(DialogModal, MissingTemplateGivesMinusOne)
{
    CDialog dialog(0x7FF0u);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

// --- data exchange on a modeless dialog ---------------------------------------

class ChoiceDialog : public CDialog {
public:
    int m_check = BST_UNCHECKED;
    int m_index = -1;
    CStringW m_choice;
    bool m_exactString = false;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Check(dx, kCheck, m_check);
        DDX_CBIndex(dx, kCombo, m_index);
        if (m_exactString)
            DDX_CBStringExact(dx, kCombo, m_choice);
        else
            DDX_CBString(dx, kCombo, m_choice);
    }
};

TEST(DialogExchange, ChoicesShownAreChoicesReadBack)
{
    DialogTemplate form(L"Choices", 200, 100, WS_POPUP | WS_CAPTION | DS_SETFONT);
    form.Add(DialogTemplate::Button, kCheck, L"check", 10, 10, 80, 12, BS_AUTOCHECKBOX | WS_TABSTOP)
        .Add(DialogTemplate::ComboBox, kCombo, L"", 100, 10, 80, 60, CBS_DROPDOWN | WS_VSCROLL | WS_GROUP | WS_TABSTOP);
    ChoiceDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(form.Get()));
    for (const wchar_t* item : {L"apple", L"apricot", L"banana"})
        ::SendDlgItemMessageW(dialog.m_hWnd, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    struct Case {
        int check;
        const wchar_t* choice;
        bool exact;
        int index;              // read back
        const wchar_t* readBack;
    };
    const Case cases[] = {
        {BST_CHECKED, L"banana", false, 2, L"banana"},
        {BST_UNCHECKED, L"apr", false, 1, L"apricot"},   // the first item starting with the text
        {BST_CHECKED, L"apr", true, -1, L"apr"},          // exact: no item, the text stays
        {BST_UNCHECKED, L"cherry", false, -1, L"cherry"},
    };
    for (const Case& c : cases) {
        dialog.m_check = c.check;
        dialog.m_index = -1;
        dialog.m_choice = c.choice;
        dialog.m_exactString = c.exact;
        ::SendDlgItemMessageW(dialog.m_hWnd, kCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SetDlgItemTextW(dialog.m_hWnd, kCombo, L"");
        ASSERT_TRUE(dialog.UpdateData(FALSE));
        dialog.m_check = -7;
        dialog.m_choice = L"?";
        ASSERT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(std::make_tuple(dialog.m_check, dialog.m_index, std::wstring(dialog.m_choice)),
                  std::make_tuple(c.check, c.index, std::wstring(c.readBack))) << c.choice;
    }
    dialog.DestroyWindow();
}

TEST(DialogExchange, ShowingLimitsTheEditAndFailingReturnsFalse)
{
    FormDialog dialog([](FormDialog&) {});
    DialogTemplate form = FormTemplate();
    ASSERT_TRUE(dialog.CreateIndirect(form.Get()));
    // Created modelessly, OnInitDialog has shown the values.
    EXPECT_EQ(TestSupport::WindowText(dialog.Item(kFirstEdit)), L"5");
    EXPECT_EQ(TestSupport::WindowText(dialog.Item(kSecondEdit)), L"3");
    EXPECT_EQ(TestSupport::WindowText(dialog.Item(kNameEdit)), L"alpha");
    EXPECT_EQ(::SendMessageW(dialog.Item(kNameEdit), EM_GETLIMITTEXT, 0, 0), 8);

    ::SetWindowTextW(dialog.Item(kSecondEdit), L"twelve");
    {
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_FALSE(dialog.UpdateData(TRUE));
        ASSERT_EQ(watcher.Boxes().size(), 1u);
        EXPECT_EQ(watcher.Boxes()[0].text, L"Please enter a positive integer.");
        EXPECT_EQ(watcher.Boxes()[0].icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(dialog.m_number, 5);  // fields before the failing one were read
    EXPECT_EQ(dialog.m_count, 3u);  // the failing one kept its value
    dialog.DestroyWindow();
}

// --- templates from resources -----------------------------------------------------

class ResourceDialog : public CDialog {
public:
    ResourceDialog() : CDialog(300u) {}
    std::vector<std::wstring> m_items;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        auto* combo = static_cast<CComboBox*>(GetDlgItem(kCombo));
        CStringW text;
        for (int i = 0; i < combo->GetCount(); ++i) {
            combo->GetLBText(i, text);
            m_items.push_back(text.GetString());
        }
        EndDialog(7);
        return TRUE;
    }
};

TEST(DialogResource, TemplateAndInitialisationDataComeFromTheResourceChain)
{
    ResourceDialog dialog;
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(dialog.m_items, (std::vector<std::wstring>{L"one", L"three"}));
}

}  // namespace
