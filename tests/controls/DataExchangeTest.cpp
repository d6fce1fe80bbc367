// The data-exchange helpers on a real modeless dialog, and path shortening in a real window's font.
// A refused value shows the right text (in English, the suite's user language), keeps the variable as it
// was and refocuses its field with the text selected. Fonts are compared by relations, never pixel sizes.
#include <gtest/gtest.h>

#include "controls/AbbreviatePathname.h"
#include "controls/ZDataExchange.h"
#include "tests/support/WindowReaders.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ScratchFolder.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using TestSupport::WindowText;
using TestSupport::DialogTemplate;

constexpr int kEdit = 100;
constexpr int kLines = 101;
constexpr int kCheck = 102;
constexpr int kCombo = 103;

constexpr wchar_t kPortRange[] = L"Please enter an integer between 1 and 65535.";
constexpr wchar_t kPositiveInteger[] = L"Please enter a positive integer.";

// A box's text as the user reads it, without the line break a table text ends with.
std::wstring Shown(std::wstring text)
{
    return text.erase(text.find_last_not_of(L"\r\n") + 1);
}

class ExchangeDialog : public CDialog {
public:
    std::function<void(CDataExchange*)> m_exchange;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        if (m_exchange)
            m_exchange(dx);
    }
};

class DataExchange : public ::testing::Test {
protected:
    struct Outcome { bool accepted; std::vector<TestSupport::ShownMessageBox> boxes; };

    void SetUp() override
    {
        m_form.Add(DialogTemplate::Edit, kEdit, L"", 10, 10, 100, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
            .Add(DialogTemplate::Edit, kLines, L"", 10, 30, 100, 40,
                 WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL)
            .Add(DialogTemplate::Button, kCheck, L"check", 10, 75, 80, 12, BS_AUTO3STATE | WS_TABSTOP)
            .Add(DialogTemplate::ComboBox, kCombo, L"", 120, 10, 80, 60, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP)
            .Add(DialogTemplate::Button, IDOK, L"OK", 120, 75, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
        ASSERT_TRUE(m_dialog.CreateIndirect(m_form.Get()));
        for (const wchar_t* item : {L"apple", L"apricot", L"banana"})
            ::SendMessageW(Item(kCombo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    void TearDown() override
    {
        m_dialog.DestroyWindow();
        CWnd::DeleteTempMap();
    }

    HWND Item(int id) const { return ::GetDlgItem(m_dialog.m_hWnd, id); }

    // Saves this edit text and state with the focus elsewhere, so that a refusal has to bring it back.
    Outcome Save(const wchar_t* editText, bool enabled = true)
    {
        ::SetWindowTextW(Item(kEdit), editText);
        ::EnableWindow(Item(kEdit), enabled);
        ::SetFocus(Item(IDOK));
        TestSupport::MessageBoxWatcher watcher(IDOK);
        const bool accepted = m_dialog.UpdateData(TRUE) != FALSE;
        return {accepted, watcher.Boxes()};
    }

    // No prompt: accepted silently; else refused with it and, if asked, the edit refocused with all selected.
    void ExpectOutcome(const Outcome& outcome, const wchar_t* prompt, bool refocus = true)
    {
        EXPECT_EQ(outcome.accepted, prompt == nullptr);
        if (!prompt) {
            EXPECT_TRUE(outcome.boxes.empty());
            return;
        }
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(Shown(outcome.boxes[0].text), prompt);
        if (!refocus)
            return;
        EXPECT_EQ(::GetFocus(), Item(kEdit));
        DWORD start = 1, end = 0;
        ::SendMessageW(Item(kEdit), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthW(Item(kEdit))));
    }

    DialogTemplate m_form{L"Exchange", 220, 100, WS_POPUP | WS_CAPTION | DS_SETFONT};
    ExchangeDialog m_dialog;
};

TEST_F(DataExchange, PortsAndNumbers)
{
    enum Helper { Port, PortFrom1024, EnabledPort, EnabledPortFrom100, Signed, Unsigned, UnsignedLong };
    // value: afterwards, 77 being the value before; prompt: null when accepted.
    struct Case { Helper helper; bool enabled; const wchar_t* text; long long value; const wchar_t* prompt; };
    const Case cases[] = {
        {Port, true, L"0", 77, kPortRange},
        {Port, true, L"1", 1, nullptr},
        {Port, true, L"65535", 65535, nullptr},
        {Port, true, L"65536", 77, kPortRange},
        {Port, true, L"http", 77, kPositiveInteger},
        {Port, false, L"0", 77, kPortRange},  // a disabled field is still checked
        {PortFrom1024, true, L"1023", 77, L"Please enter an integer between 1024 and 65535."},
        {PortFrom1024, true, L"1024", 1024, nullptr},
        {EnabledPort, true, L"0", 77, kPortRange},
        {EnabledPort, true, L"22", 22, nullptr},
        {EnabledPort, true, L"22x", 77, kPositiveInteger},
        {EnabledPortFrom100, true, L"99", 77, L"Please enter an integer between 100 and 65535."},
        {Signed, true, L"-12abc", 77, L"Please enter an integer."},
        {Signed, true, L"-12", -12, nullptr},
        {Unsigned, true, L"12", 12, nullptr},
        {UnsignedLong, true, L"-1", 77, kPositiveInteger},
        {UnsignedLong, true, L"4000000000", 4000000000LL, nullptr},
        // The "enabled" helpers read a disabled field leniently and never refuse it.
        {EnabledPort, false, L"0", 0, nullptr},
        {EnabledPort, false, L"8080x", 8080, nullptr},
        {EnabledPort, false, L"junk", 0, nullptr},
        {EnabledPort, false, L"70000", 0, nullptr},  // not cut down to 4464
        {EnabledPortFrom100, false, L"99", 99, nullptr},
        {Signed, false, L"-12abc", -12, nullptr},
        {Signed, false, L"junk", 0, nullptr},
        {Signed, false, L"3000000000", 0, nullptr},
        {Unsigned, false, L"-12abc", 0, nullptr},
        {Unsigned, false, L" 3000000000", 3000000000LL, nullptr},
        {UnsignedLong, false, L"4294967295 bytes", 4294967295LL, nullptr},
        {UnsignedLong, false, L"4294967296", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.helper << (c.enabled ? " enabled " : " disabled ")
                                        << testing::PrintToString(std::wstring(c.text)));
        unsigned short port = 77;
        int asSigned = 77;
        unsigned int asUnsigned = 77;
        unsigned long asUnsignedLong = 77;
        m_dialog.m_exchange = [&](CDataExchange* dx) {
            switch (c.helper) {
            case Port: DDX_Port(dx, kEdit, port); break;
            case PortFrom1024: DDX_Port(dx, kEdit, port, 1024); break;
            case EnabledPort: DDX_EnabledPort(dx, kEdit, port); break;
            case EnabledPortFrom100: DDX_EnabledPort(dx, kEdit, port, 100); break;
            case Signed: ZDDX_EnabledText(dx, kEdit, asSigned); break;
            case Unsigned: ZDDX_EnabledText(dx, kEdit, asUnsigned); break;
            case UnsignedLong: ZDDX_EnabledText(dx, kEdit, asUnsignedLong); break;
            }
        };
        ExpectOutcome(Save(c.text, c.enabled), c.prompt, c.enabled);
        const long long values[] = {port, asSigned, asUnsigned, asUnsignedLong};
        EXPECT_EQ(values[c.helper < Signed ? 0 : c.helper - Signed + 1], c.value);
    }
}

// --- check boxes and texts ----------------------------------------------------------

TEST_F(DataExchange, CheckStates)
{
    ZTriState state = ZTriState::Indeterminate;
    bool checked = false;
    m_dialog.m_exchange = [&](CDataExchange* dx) { DDX_Check(dx, kCheck, state); };
    ASSERT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_EQ(::SendMessageW(Item(kCheck), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    const std::pair<int, ZTriState> cases[] = {
        {BST_CHECKED, ZTriState::Set}, {BST_UNCHECKED, ZTriState::Clear}, {BST_INDETERMINATE, ZTriState::Indeterminate},
    };
    m_dialog.m_exchange = [&](CDataExchange* dx) {
        DDX_Check(dx, kCheck, state);
        DDX_Check(dx, kCheck, checked);
    };
    for (const auto& [button, expected] : cases) {
        ::SendMessageW(Item(kCheck), BM_SETCHECK, button, 0);
        ASSERT_TRUE(m_dialog.UpdateData(TRUE));
        EXPECT_EQ(state, expected) << button;
        EXPECT_EQ(checked, button != BST_UNCHECKED) << button;
    }
}

TEST_F(DataExchange, LibraryStringsTravelBothWays)
{
    ZString narrow = "narrow";
    std::wstring standard = L"standard";
    ZUnicodeString secret(L"secret", Str::Sensitive);
    ZUnicodeString choice = L"apr";
    m_dialog.m_exchange = [&](CDataExchange* dx) {
        DDX_Text(dx, kEdit, narrow);
        DDX_Text(dx, kLines, standard);
        DDX_Text(dx, kEdit, secret);  // shown last, so the edit holds the secret
        DDX_CBString(dx, kCombo, choice);
    };
    ASSERT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_EQ(WindowText(Item(kLines)), L"standard");
    EXPECT_EQ(WindowText(Item(kEdit)), L"secret");
    EXPECT_EQ(WindowText(Item(kCombo)), L"apricot");  // the first item starting with the value
    ::SetWindowTextW(Item(kEdit), L"typed");
    ::SetWindowTextW(Item(kLines), L"typed standard");
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_EQ(narrow.str(), "typed");
    EXPECT_EQ(standard, L"typed standard");
    EXPECT_EQ(secret.str(), L"typed");
    EXPECT_TRUE(secret.IsSensitive());
    EXPECT_EQ(choice.str(), L"apricot");
}

TEST_F(DataExchange, ListsAreOneItemPerLine)
{
    ZStringArray lines = {L"one", L"two", L"three"};
    m_dialog.m_exchange = [&lines](CDataExchange* dx) { DDX_Text(dx, kLines, lines); };
    ASSERT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_EQ(WindowText(Item(kLines)), L"one\r\ntwo\r\nthree");
    ::SetWindowTextW(Item(kLines), L"\r\nx\r\n\r\ny\r\n");
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    ASSERT_EQ(lines.GetCount(), 2u);
    EXPECT_EQ(lines[0].str(), L"x");
    EXPECT_EQ(lines[1].str(), L"y");
    ::SetWindowTextW(Item(kLines), L"");
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_TRUE(lines.IsEmpty());
}

TEST_F(DataExchange, MaxCharsCountsTheNarrowTextConverted)
{
    ZString narrow;
    m_dialog.m_exchange = [&](CDataExchange* dx) {
        DDX_Text(dx, kEdit, narrow);
        DDV_MaxChars(dx, narrow, 5);
    };
    ASSERT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_EQ(::SendMessageW(Item(kEdit), EM_GETLIMITTEXT, 0, 0), 5);
    ::SendMessageW(Item(kEdit), EM_LIMITTEXT, 0, 0);
    ExpectOutcome(Save(L"123456"), L"Please enter no more than 5 characters.");
    ExpectOutcome(Save(L"12345"), nullptr);
    EXPECT_EQ(narrow.str(), "12345");
}

// --- host names and paths -----------------------------------------------------------

TEST_F(DataExchange, ReservedHostNamesAreRefused)
{
    ZUnicodeString host;
    m_dialog.m_exchange = [&host](CDataExchange* dx) {
        DDX_Text(dx, kEdit, host);
        ZDDV_ValidateHostName(dx, kEdit, host.c_str());
    };
    // Which names are reserved is the rule's own table (TextUtilsTest); here, what each outcome does.
    const std::pair<const wchar_t*, bool> cases[] = {{L"Com1.example", false}, {L"CONSOLE", true}};
    for (const auto& [name, accepted] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const std::wstring prompt =
            std::wstring(name) + L" is a reserved device name on Windows and cannot be used as a hostname.";
        ExpectOutcome(Save(name), accepted ? nullptr : prompt.c_str());
    }

    // Loading shows the name and checks nothing.
    host = L"nul";
    TestSupport::MessageBoxWatcher watcher(IDOK);
    EXPECT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_EQ(WindowText(Item(kEdit)), L"nul");
}

TEST_F(DataExchange, MissingPathsAreRefused)
{
    ScratchFolder folder;
    const std::wstring file = folder.File(L"present.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(file, "x"));
    const std::wstring missing = folder.File(L"absent.txt");

    std::wstring path;
    m_dialog.m_exchange = [&path](CDataExchange* dx) {
        DDX_Text(dx, kEdit, path);
        ZDDV_ValidatePath(dx, kEdit, path.c_str());
    };
    const std::pair<std::wstring, bool> cases[] = {{file, true}, {folder.Path(), true}, {L"", true}, {missing, false}};
    for (const auto& [typed, accepted] : cases) {
        SCOPED_TRACE(testing::PrintToString(typed));
        const Outcome outcome = Save(typed.c_str());
        const std::wstring prompt = L"The file '" + typed + L"' was not found.";
        ExpectOutcome(outcome, accepted ? nullptr : prompt.c_str());
        if (accepted || outcome.boxes.empty())
            continue;
        EXPECT_EQ(outcome.boxes[0].owner, m_dialog.m_hWnd);
        EXPECT_EQ(outcome.boxes[0].icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
    }
}

// --- path shortening in a real font -------------------------------------------------

// A window whose WM_GETFONT answer the test chooses, with a device context of
// its own (CS_OWNDC), so that the font left selected in it can be read back.
HFONT g_windowFont = nullptr;

LRESULT CALLBACK FontWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(g_windowFont);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Width by another route than the code under test takes.
int DrawnWidth(HFONT font, const std::wstring& text)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = font ? ::SelectObject(dc, font) : nullptr;
    RECT bounds = {0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (previous)
        ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    return bounds.right - bounds.left;
}

TEST(AbbreviatePathnameInAWindow, MeasuredInTheWindowsFont)
{
    WNDCLASSW windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = FontWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TessaroPathFontWindow";
    ASSERT_NE(::RegisterClassW(&windowClass), 0);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 400, 50, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    HFONT big = ::CreateFontW(-40, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"");
    ASSERT_NE(big, nullptr);

    const std::wstring path = L"C:\\Projects\\Customers\\North\\Reports\\Quarterly\\file.txt";
    const int inSystemFont = DrawnWidth(nullptr, path);
    const int inBigFont = DrawnWidth(big, path);
    ASSERT_GT(inBigFont, inSystemFont * 3 / 2) << "the test needs a font clearly wider than the system font";
    const int available = (inSystemFont + inBigFont) / 2;
    const RECT rect = {10, 0, 10 + available, 20};
    CWnd* wnd = CWnd::FromHandle(window);

    HDC ownDC = ::GetDC(window);
    const HGDIOBJ fontBefore = ::GetCurrentObject(ownDC, OBJ_FONT);

    g_windowFont = big;
    const std::wstring shortened = AbbreviatePathname(wnd, rect, path.c_str(), true).str();
    EXPECT_LT(shortened.size(), path.size());
    EXPECT_LE(DrawnWidth(big, shortened), available) << testing::PrintToString(shortened);
    EXPECT_EQ(shortened.substr(shortened.size() - 8), L"file.txt");
    EXPECT_NE(shortened.find(L"..."), std::wstring::npos);
    EXPECT_EQ(::GetCurrentObject(ownDC, OBJ_FONT), fontBefore);  // the window's DC got its font back

    // The client-rectangle form measures against the client width.
    ::SetWindowPos(window, nullptr, 0, 0, available, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(AbbreviatePathname(wnd, path.c_str(), true).str(), shortened);

    // In the system font the same width holds the whole path.
    g_windowFont = nullptr;
    EXPECT_EQ(AbbreviatePathname(wnd, rect, path.c_str(), true).str(), path);

    ::ReleaseDC(window, ownDC);
    ::DestroyWindow(window);
    ::DeleteObject(big);
    CWnd::DeleteTempMap();
    ::UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
