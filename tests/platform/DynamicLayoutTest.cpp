// Resizable dialogs (hidden: sizing needs no focus) with layouts from resources
// or code, and the date-time picker's data exchange. Controls are compared with
// their own first geometry, never with absolute sizes, which follow the fonts.
#include <gtest/gtest.h>

#include "platform/mfc/afxcmn.h"
#include "platform/mfc/afxwin.h"
#include "tests/platform/DialogTemplate.h"

#include <map>
#include <tuple>
#include <vector>

// Beside CRect itself, so that failures of maps of rectangles print them.
static std::ostream& operator<<(std::ostream& out, const CRect& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

using TestSupport::DialogTemplate;

// The templates of DynamicLayoutTest.rc and their controls.
enum : UINT { kLayoutDialog = 400, kNoLayoutDialog = 410, kShortLayoutDialog = 420, kEmptyLayoutDialog = 430 };
enum : UINT { kOtherVersionDialog = 440, kDateDialog = 450 };
enum : int { kEdit = 401, kList = 402, kLabel = 403, kCheck = 404, kPickerWithNone = 451, kPlainPicker = 452 };

// Each child's rectangle in its dialog's client coordinates, by id.
std::map<int, CRect> ChildRects(HWND dialog)
{
    std::map<int, CRect> rects;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CRect rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&rect), 2);
        rects[::GetDlgCtrlID(child)] = rect;
    }
    return rects;
}

SIZE ClientSize(HWND window)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

// A modeless dialog, with the geometry it had when last measured kept for comparisons.
class LayoutTest : public ::testing::Test {
protected:
    void Open(UINT templateId)
    {
        ASSERT_TRUE(m_dialog.Create(templateId));
        Measure();
    }
    void Measure()
    {
        ::GetWindowRect(m_dialog.m_hWnd, &m_window);
        m_client = ClientSize(m_dialog.m_hWnd);
        m_first = Now();
    }
    void TearDown() override
    {
        if (m_dialog.m_hWnd)
            m_dialog.DestroyWindow();
    }
    std::map<int, CRect> Now() const { return ChildRects(m_dialog.m_hWnd); }

    // Makes the dialog dx, dy larger (or smaller) than when measured; the client must change by exactly that.
    void ResizeBy(int dx, int dy)
    {
        ::SetWindowPos(m_dialog.m_hWnd, nullptr, 0, 0, m_window.right - m_window.left + dx,
                       m_window.bottom - m_window.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const SIZE now = ClientSize(m_dialog.m_hWnd);
        ASSERT_EQ(now.cx - m_client.cx, dx);
        ASSERT_EQ(now.cy - m_client.cy, dy);
    }

    // Where control id should be after ResizeBy(dx, dy): moved and grown by percentages of the change.
    CRect Expected(int id, int dx, int dy, int moveX, int moveY, int sizeX, int sizeY) const
    {
        CRect r = m_first.at(id);
        ::OffsetRect(&r, dx * moveX / 100, dy * moveY / 100);
        r.right += dx * sizeX / 100;
        r.bottom += dy * sizeY / 100;
        return r;
    }

    CDialog m_dialog;
    RECT m_window = {};
    SIZE m_client = {};
    std::map<int, CRect> m_first;
};

// The layout resource of dialog 400, control by control.
const struct Ratios {
    int id;
    int moveX, moveY, sizeX, sizeY;
} kLayout400[] = {
    {kEdit, 0, 0, 100, 0},   {kList, 0, 0, 100, 100},     {kLabel, 0, 100, 0, 0},
    {kCheck, 50, 100, 50, 0}, {IDOK, 100, 0, 0, 0},        {IDCANCEL, 25, 75, 75, 25},
};

TEST_F(LayoutTest, ControlsFollowTheirShareOfTheResize)
{
    Open(kLayoutDialog);
    ASSERT_TRUE(m_dialog.IsDynamicLayoutEnabled());
    // Changes whose every share is a whole number of pixels.
    const SIZE changes[] = {{200, 100}, {40, 80}, {-20, -8}, {0, 0}, {120, 0}, {0, 60}};
    for (const SIZE& change : changes) {
        ResizeBy(change.cx, change.cy);
        const std::map<int, CRect> now = Now();
        for (const Ratios& r : kLayout400) {
            EXPECT_EQ(now.at(r.id), Expected(r.id, change.cx, change.cy, r.moveX, r.moveY, r.sizeX, r.sizeY))
                << "control " << r.id << " after " << change.cx << "x" << change.cy;
        }
    }
    // Back to the first size: exactly the first layout, whatever came before.
    ResizeBy(0, 0);
    EXPECT_EQ(Now(), m_first);
    // Minimising leaves the controls where they were.
    ::ShowWindow(m_dialog.m_hWnd, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(::IsIconic(m_dialog.m_hWnd));
    EXPECT_EQ(Now(), m_first);
}

TEST_F(LayoutTest, LayoutsThatCannotBeUsedLeaveTheDialogAlone)
{
    const std::pair<const char*, UINT> cases[] = {
        {"no layout resource", kNoLayoutDialog},
        {"a version word and no entry", kEmptyLayoutDialog},
        {"another version", kOtherVersionDialog},
    };
    for (const auto& [name, templateId] : cases) {
        Open(templateId);
        EXPECT_FALSE(m_dialog.IsDynamicLayoutEnabled()) << name;
        EXPECT_FALSE(m_dialog.LoadDynamicLayoutResource(templateId)) << name;
        EXPECT_FALSE(m_dialog.IsDynamicLayoutEnabled()) << name;
        ResizeBy(100, 50);
        EXPECT_EQ(Now(), m_first) << name;
        m_dialog.DestroyWindow();
    }
}

// Loads that fail keep the layout in force, and a destroyed control (before IDCANCEL) is skipped.
TEST_F(LayoutTest, FailedLoadsAndDestroyedControlsLeaveTheRestInForce)
{
    Open(kLayoutDialog);
    EXPECT_FALSE(m_dialog.LoadDynamicLayoutResource(kNoLayoutDialog));
    EXPECT_FALSE(m_dialog.LoadDynamicLayoutResource(0x7FF0u));
    ASSERT_TRUE(m_dialog.IsDynamicLayoutEnabled());
    ::DestroyWindow(::GetDlgItem(m_dialog.m_hWnd, kList));
    ResizeBy(200, 100);
    EXPECT_EQ(Now().count(kList), 0u);
    EXPECT_EQ(Now().at(IDCANCEL), Expected(IDCANCEL, 200, 100, 25, 75, 75, 25));
}

// Two whole entries for four controls, then half an entry; the first entry's 250 counts as 100.
TEST_F(LayoutTest, ShortLayoutMovesOnlyTheControlsItNames)
{
    Open(kShortLayoutDialog);
    ASSERT_TRUE(m_dialog.IsDynamicLayoutEnabled());
    ResizeBy(60, 40);
    const std::map<int, CRect> now = Now();
    EXPECT_EQ(now.at(kEdit), Expected(kEdit, 60, 40, 0, 0, 100, 0));
    EXPECT_EQ(now.at(kList), Expected(kList, 60, 40, 100, 100, 0, 0));
    EXPECT_EQ(now.at(IDOK), m_first.at(IDOK));
    EXPECT_EQ(now.at(IDCANCEL), m_first.at(IDCANCEL));
}

// A layout loaded into a grown dialog takes that size as its start.
TEST_F(LayoutTest, ReloadingStartsFromThePresentGeometry)
{
    Open(kLayoutDialog);
    ResizeBy(40, 80);
    Measure();
    ASSERT_TRUE(m_dialog.LoadDynamicLayoutResource(kLayoutDialog));
    EXPECT_EQ(Now(), m_first);
    ResizeBy(40, 80);
    EXPECT_EQ(Now().at(kList), Expected(kList, 40, 80, 0, 0, 100, 100));
}

// The same object, made again, loads the layout afresh.
TEST_F(LayoutTest, DestroyingTheWindowDropsTheLayout)
{
    Open(kLayoutDialog);
    m_dialog.DestroyWindow();
    EXPECT_FALSE(m_dialog.IsDynamicLayoutEnabled());
    Open(kLayoutDialog);
    EXPECT_TRUE(m_dialog.IsDynamicLayoutEnabled());
    ResizeBy(40, 80);
    EXPECT_EQ(Now().at(kEdit), Expected(kEdit, 40, 80, 0, 0, 100, 0));
}

// --- a layout made in code --------------------------------------------------------

class CodeLayoutTest : public LayoutTest {
protected:
    void SetUp() override
    {
        m_form.Add(DialogTemplate::Edit, kEdit, L"", 10, 10, 100, 14, WS_BORDER)
            .Add(DialogTemplate::ListBox, kList, L"", 10, 30, 100, 50, WS_BORDER | LBS_NOINTEGRALHEIGHT)
            .Add(DialogTemplate::Button, IDOK, L"OK", 120, 10, 50, 14);
        ASSERT_TRUE(m_dialog.CreateIndirect(m_form.Get()));
        Measure();
        EXPECT_FALSE(m_dialog.IsDynamicLayoutEnabled());
        m_dialog.EnableDynamicLayout();
        m_layout = m_dialog.GetDynamicLayout();
        ASSERT_NE(m_layout, nullptr);
        ASSERT_TRUE(m_layout->Create(&m_dialog));
    }

    DialogTemplate m_form{L"Code", 200, 100, DS_SETFONT | WS_POPUP | WS_CAPTION | WS_THICKFRAME};
    CMFCDynamicLayout* m_layout = nullptr;
};

TEST_F(CodeLayoutTest, ItemsAddedByIdOrWindowFollowTheResize)
{
    EXPECT_TRUE(m_layout->IsEmpty());
    EXPECT_TRUE(m_layout->AddItem(static_cast<UINT>(kEdit), {0, 0}, {100, 0}));
    EXPECT_TRUE(m_layout->AddItem(::GetDlgItem(m_dialog.m_hWnd, kList), {0, 0}, {50, 100}));
    EXPECT_TRUE(m_layout->AddItem(static_cast<UINT>(IDOK), {100, 50}, {0, 0}));
    EXPECT_TRUE(m_layout->HasItem(::GetDlgItem(m_dialog.m_hWnd, kList)));
    EXPECT_FALSE(m_layout->IsEmpty());

    ResizeBy(120, 40);
    const std::map<int, CRect> now = Now();
    EXPECT_EQ(now.at(kEdit), Expected(kEdit, 120, 40, 0, 0, 100, 0));
    EXPECT_EQ(now.at(kList), Expected(kList, 120, 40, 0, 0, 50, 100));
    EXPECT_EQ(now.at(IDOK), Expected(IDOK, 120, 40, 100, 50, 0, 0));

    // Without a layout the controls stay where the last one put them.
    m_dialog.EnableDynamicLayout(FALSE);
    EXPECT_EQ(m_dialog.GetDynamicLayout(), nullptr);
    ResizeBy(0, 0);
    EXPECT_EQ(Now(), now);
}

TEST_F(CodeLayoutTest, RefusedItems)
{
    CMFCDynamicLayout uncreated;
    EXPECT_FALSE(uncreated.AddItem(static_cast<UINT>(kEdit), {100, 0}, {0, 0}));
    EXPECT_FALSE(uncreated.Create(nullptr));

    HWND edit = ::GetDlgItem(m_dialog.m_hWnd, kEdit);
    HWND stranger = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND grandchild = ::CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, edit, nullptr, nullptr, nullptr);
    ASSERT_TRUE(stranger && grandchild);
    EXPECT_FALSE(m_layout->AddItem(stranger, {100, 0}, {0, 0})) << "not a child";
    EXPECT_FALSE(m_layout->AddItem(grandchild, {100, 0}, {0, 0})) << "not a direct child";
    EXPECT_FALSE(m_layout->AddItem(static_cast<UINT>(999), {100, 0}, {0, 0})) << "no such control";
    EXPECT_FALSE(m_layout->AddItem(static_cast<HWND>(nullptr), {100, 0}, {0, 0})) << "no window";
    EXPECT_TRUE(m_layout->AddItem(edit, {100, 0}, {0, 0}));
    EXPECT_FALSE(m_layout->AddItem(edit, {0, 0}, {100, 0})) << "added twice";

    ResizeBy(30, 30);
    EXPECT_EQ(Now().at(kEdit), Expected(kEdit, 30, 30, 100, 0, 0, 0));
    ::DestroyWindow(stranger);
}

// --- date and time exchange ----------------------------------------------------------

class DateDialog : public CDialog {
public:
    FILETIME m_withNone = {};
    FILETIME m_plain = {};

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_DateTimeCtrl(dx, kPickerWithNone, m_withNone);
        DDX_DateTimeCtrl(dx, kPlainPicker, m_plain);
    }
};

FILETIME FileTimeOf(const SYSTEMTIME& time)
{
    FILETIME value = {};
    EXPECT_TRUE(::SystemTimeToFileTime(&time, &value));
    return value;
}

ULONGLONG Ticks(const FILETIME& value)
{
    return (static_cast<ULONGLONG>(value.dwHighDateTime) << 32) | value.dwLowDateTime;
}

class DateExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&init);
    }
    void SetUp() override { ASSERT_TRUE(m_dialog.Create(kDateDialog)); }
    void TearDown() override { m_dialog.DestroyWindow(); }

    DWORD Shown(int id, SYSTEMTIME& time) const
    {
        return static_cast<DWORD>(::SendDlgItemMessageW(m_dialog.m_hWnd, id, DTM_GETSYSTEMTIME, 0,
                                                        reinterpret_cast<LPARAM>(&time)));
    }

    DateDialog m_dialog;
};

TEST_F(DateExchangeTest, DateAndTimeGoBothWaysUnshifted)
{
    // TZ has summer time (CMakeLists.txt); rows that do not exist or exist twice there show a local-time trip.
    TIME_ZONE_INFORMATION zone = {};
    ::GetTimeZoneInformation(&zone);
    EXPECT_NE(zone.Bias, 0) << "run with TZ=Europe/Paris for this test to see a shift";
    const SYSTEMTIME cases[] = {
        {2024, 2, 0, 29, 13, 14, 15, 0},
        {1999, 12, 0, 31, 23, 59, 59, 0},
        {2038, 1, 0, 19, 3, 14, 7, 0},
        {2024, 3, 0, 31, 2, 30, 0, 0},
        {2024, 10, 0, 27, 2, 30, 0, 0},
        {2000, 1, 0, 1, 0, 0, 0, 0},
    };
    for (const SYSTEMTIME& c : cases) {
        const FILETIME value = FileTimeOf(c);
        m_dialog.m_withNone = value;
        ASSERT_TRUE(m_dialog.UpdateData(FALSE));
        SYSTEMTIME s = {};
        ASSERT_EQ(Shown(kPickerWithNone, s), static_cast<DWORD>(GDT_VALID));
        EXPECT_EQ(std::tie(s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond),
                  std::tie(c.wYear, c.wMonth, c.wDay, c.wHour, c.wMinute, c.wSecond));
        m_dialog.m_withNone = FILETIME{1, 1};
        ASSERT_TRUE(m_dialog.UpdateData(TRUE));
        EXPECT_EQ(Ticks(m_dialog.m_withNone), Ticks(value)) << c.wYear << "-" << c.wMonth << "-" << c.wDay;
    }
}

TEST_F(DateExchangeTest, NoDateClearsAPickerThatCanShowNone)
{
    const FILETIME dated = FileTimeOf({2024, 2, 0, 29, 13, 14, 15, 0});
    const std::pair<const char*, FILETIME> cases[] = {{"zero", FILETIME{}}, {"beyond any date", {0, 0x80000000u}}};
    for (const auto& [name, none] : cases) {
        m_dialog.m_withNone = dated;
        m_dialog.m_plain = dated;
        ASSERT_TRUE(m_dialog.UpdateData(FALSE));
        m_dialog.m_withNone = none;
        m_dialog.m_plain = none;
        ASSERT_TRUE(m_dialog.UpdateData(FALSE)) << name;

        SYSTEMTIME shown = {};
        EXPECT_EQ(Shown(kPickerWithNone, shown), static_cast<DWORD>(GDT_NONE)) << name;
        // The other picker cannot show "no date": it keeps the date it had.
        ASSERT_EQ(Shown(kPlainPicker, shown), static_cast<DWORD>(GDT_VALID)) << name;
        EXPECT_EQ(shown.wYear, 2024) << name;

        ASSERT_TRUE(m_dialog.UpdateData(TRUE)) << name;
        EXPECT_EQ(Ticks(m_dialog.m_withNone), 0u) << name;
        EXPECT_EQ(Ticks(m_dialog.m_plain), Ticks(dated)) << name;
    }
}

}  // namespace
