// The dialog base and the progress dialog under a real display: modal nesting, ending from other threads,
// the minimum size, saved placements, fitting a text, and a progress dialog only its worker can close.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "controls/ZDialog.h"
#include "controls/ZProgressDialog.h"

namespace {

constexpr UINT kLayoutDialog = 200;
constexpr UINT kFixedDialog = 210;
constexpr int kText = 201;
constexpr int kEdit = 202;
constexpr UINT kStep = WM_APP + 1;
constexpr int kLimit = ZDialog::kMaxModalDepth;

// A dialog whose test body runs from a posted message, so that the modal loop is running.
class ScriptedDialog : public ZDialog {
public:
    ScriptedDialog(UINT id, std::function<void(ScriptedDialog&)> body, CWnd* parent = nullptr)
        : ZDialog(id, ::GetModuleHandleW(nullptr), parent), m_body(std::move(body))
    {
    }
    const WINDOWPLACEMENT* placement = nullptr;
    bool sizeOnly = false;
    UINT layout = kLayoutDialog;  // 0: no dynamic layout at all
    std::vector<WINDOWPLACEMENT> saved;

    BOOL OnInitDialog() override
    {
        const BOOL result = layout ? OnInitDynamicLayoutDialog(layout, placement, sizeOnly) : ZDialog::OnInitDialog();
        PostMessage(kStep);
        return result;
    }
    void SaveDynamicLayoutDialogPlacement(const WINDOWPLACEMENT* p) override { saved.push_back(*p); }

protected:
    LRESULT OnStep(WPARAM, LPARAM)
    {
        if (m_body)
            m_body(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()

private:
    std::function<void(ScriptedDialog&)> m_body;
};

BEGIN_MESSAGE_MAP(ScriptedDialog, ZDialog)
    ON_MESSAGE(kStep, OnStep)
END_MESSAGE_MAP()

// Width and height, comparable and printable as a pair.
using Size = std::pair<LONG, LONG>;

Size WindowSize(HWND window)
{
    RECT r = {};
    ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

Size Dimensions(SIZE size)
{
    return {size.cx, size.cy};
}

RECT ChildRect(CWnd& dialog, int id)
{
    RECT r = {};
    dialog.GetDlgItem(id)->GetWindowRect(&r);
    dialog.ScreenToClient(&r);
    return r;
}

TEST(DialogBase, NestingStopsAtTheLimitWithoutShowingAnything)
{
    int deepestShown = 0;
    std::vector<INT_PTR> innerResults;
    bool progressRefused = false;
    std::function<void(ScriptedDialog&)> nest = [&](ScriptedDialog& dialog) {
        deepestShown = std::max(deepestShown, ZDialog::GetModalDepth());
        ScriptedDialog inner(kLayoutDialog, nest, &dialog);
        innerResults.push_back(inner.DoModal());
        if (innerResults.size() == 1) {
            // At the limit a progress dialog is refused too, and its worker's PostClose must not wait forever.
            ZProgressDialog progress(ZUnicodeString(L"never shown"), false);
            std::thread worker([&] { progress.PostClose(); });
            progressRefused = progress.DoModal() == IDCANCEL;
            worker.join();
        }
        dialog.EndDialog(IDOK);
    };
    ScriptedDialog outer(kLayoutDialog, nest);
    EXPECT_EQ(outer.DoModal(), IDOK);

    EXPECT_EQ(deepestShown, kLimit);
    ASSERT_EQ(innerResults.size(), size_t(kLimit));
    EXPECT_EQ(innerResults.front(), IDCANCEL);  // the 25th, refused
    for (size_t i = 1; i < innerResults.size(); ++i)
        EXPECT_EQ(innerResults[i], IDOK) << "level " << innerResults.size() - i;
    EXPECT_TRUE(progressRefused);
    EXPECT_EQ(ZDialog::GetModalDepth(), 0);
}

// The dialog's thread is busy while the worker ends the dialog: ending it there
// and then would need that thread (its window is hidden by a message to it), so
// the call returns at once only when it leaves the ending to the dialog's thread.
TEST(DialogBase, EndDialogFromAWorkerEndsItOnItsOwnThread)
{
    std::thread worker;
    std::promise<void> returned;  // outlives the worker, however long its call takes
    bool returnedWhileBusy = false;
    ScriptedDialog dialog(kLayoutDialog, [&](ScriptedDialog& d) {
        worker = std::thread([&d, &returned] {
            d.EndDialog(IDRETRY);
            returned.set_value();
        });
        returnedWhileBusy = returned.get_future().wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    });
    EXPECT_EQ(dialog.DoModal(), IDRETRY);
    worker.join();
    EXPECT_TRUE(returnedWhileBusy);
}

TEST(DialogBase, ADynamicLayoutDialogKeepsItsMinimumSize)
{
    Size initial, tracked;
    DWORD style = 0;
    ScriptedDialog dialog(kLayoutDialog, [&](ScriptedDialog& d) {
        initial = WindowSize(d);
        MINMAXINFO info = {};
        d.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        tracked = {info.ptMinTrackSize.x, info.ptMinTrackSize.y};
        style = d.GetStyle();
        d.EndDialog(IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(tracked, initial);
    EXPECT_EQ(Dimensions(dialog.GetMinimumSize()), initial);
    EXPECT_TRUE(style & WS_THICKFRAME);
}

TEST(DialogBase, WithoutALayoutResourceTheDialogCannotBeResized)
{
    DWORD style = 0;
    ScriptedDialog dialog(kFixedDialog, [&](ScriptedDialog& d) {
        style = d.GetStyle();
        d.EndDialog(IDOK);
    });
    dialog.layout = 999;  // no such layout resource
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & DS_MODALFRAME);
}

// Where the placement is kept is the host's business (the store's round trips are the settings tests');
// here, what the dialog hands over when it ends and what it does with one it is given.
TEST(DialogBase, PlacementIsHandedOverAtTheEndAndRestored)
{
    // First run: the user makes the dialog larger.
    Size grown;
    WINDOWPLACEMENT restored = {};
    {
        ScriptedDialog dialog(kLayoutDialog, [&](ScriptedDialog& d) {
            const Size size = WindowSize(d);
            d.SetWindowPos(nullptr, 0, 0, size.first + 60, size.second + 40, SWP_NOMOVE | SWP_NOZORDER);
            grown = WindowSize(d);
            d.EndDialog(IDOK);
        });
        ASSERT_EQ(dialog.DoModal(), IDOK);
        ASSERT_EQ(dialog.saved.size(), 1u);
        restored = dialog.saved[0];
    }

    struct Case { const char* name; bool sizeOnly, zeroWidth, expectRestored; };
    const Case cases[] = {
        {"whole placement", false, false, true},
        {"size only", true, false, true},
        {"size only, zero width", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WINDOWPLACEMENT placement = restored;
        if (c.zeroWidth)
            placement.rcNormalPosition.right = placement.rcNormalPosition.left;
        Size shown, minimum;
        ScriptedDialog dialog(kLayoutDialog, [&](ScriptedDialog& d) {
            shown = WindowSize(d);
            minimum = Dimensions(d.GetMinimumSize());
            d.EndDialog(IDOK);
        });
        dialog.placement = &placement;
        dialog.sizeOnly = c.sizeOnly;
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(shown, c.expectRestored ? grown : minimum);  // not restored: the template's size
    }
}

TEST(DialogBase, FittingATextMovesTheFollowersByTheSameAmount)
{
    struct Step { const wchar_t* from; const wchar_t* to; int extraLines; };
    const Step steps[] = {
        {L"one", L"one\ntwo\nthree", 2},
        {L"one\ntwo\nthree", L"one", -2},
        {L"one", L"one", 0},
        {L"a\nb", L"a\nb\nc\nd", 2},
    };
    bool ran = false;
    ScriptedDialog dialog(kLayoutDialog, [&](ScriptedDialog& d) {
        ZArray<int> followers;
        followers.Add(kEdit);
        followers.Add(IDOK);
        // A line of the control's font, measured independently of the code.
        CClientDC dc(d.GetDlgItem(kText));
        const auto font = reinterpret_cast<HGDIOBJ>(d.GetDlgItem(kText)->SendMessage(WM_GETFONT));
        HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), font);
        TEXTMETRICW metrics = {};
        ::GetTextMetricsW(dc.GetSafeHdc(), &metrics);
        ::SelectObject(dc.GetSafeHdc(), old);
        const int line = metrics.tmHeight;
        ASSERT_GT(line, 0);

        for (const Step& step : steps) {
            SCOPED_TRACE(testing::Message() << "extra lines " << step.extraLines);
            d.ResizeElements(kText, followers, ZUnicodeString(step.from));
            const RECT text = ChildRect(d, kText), edit = ChildRect(d, kEdit), ok = ChildRect(d, IDOK);
            const LONG dialogHeight = WindowSize(d).second;
            d.ResizeElements(kText, followers, ZUnicodeString(step.to));
            const int delta = step.extraLines * line;
            const RECT text2 = ChildRect(d, kText), edit2 = ChildRect(d, kEdit), ok2 = ChildRect(d, IDOK);
            EXPECT_EQ(text2.bottom - text2.top, text.bottom - text.top + delta);
            EXPECT_EQ(text2.right - text2.left, text.right - text.left);
            EXPECT_EQ(edit2.top, edit.top + delta);
            EXPECT_EQ(edit2.bottom - edit2.top, edit.bottom - edit.top);
            EXPECT_EQ(ok2.top, ok.top + delta);
            EXPECT_EQ(WindowSize(d).second, dialogHeight + delta);
        }
        ran = true;
        d.EndDialog(IDOK);
    });
    dialog.layout = 0;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ran);
}

// --- progress dialog ---------------------------------------------------------

// Posts what a user would do, then a sentinel that sees whether the dialog survived and lets the worker close it.
class ScriptedProgress : public ZProgressDialog {
public:
    using ZProgressDialog::ZProgressDialog;
    struct Action { UINT message; WPARAM wParam; };
    std::vector<Action> userActions;
    std::function<void(ScriptedProgress&)> atSentinel;
    CStringW caption;
    CStringW message;
    DWORD barStyle = 0;
    HINSTANCE resourcesAtInit = nullptr;

    BOOL OnInitDialog() override
    {
        resourcesAtInit = AfxGetResourceHandle();
        const BOOL result = ZProgressDialog::OnInitDialog();
        GetWindowText(caption);
        GetDlgItemText(3005, message);
        barStyle = GetDlgItem(3004)->GetStyle();
        for (const Action& action : userActions)
            PostMessage(action.message, action.wParam, 0);
        PostMessage(kStep);
        return result;
    }

protected:
    LRESULT OnStep(WPARAM, LPARAM)
    {
        if (atSentinel)
            atSentinel(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedProgress, ZProgressDialog)
    ON_MESSAGE(kStep, OnStep)
END_MESSAGE_MAP()

TEST(ProgressDialog, OnlyPostCloseEndsItAndOnlyItsMakingUsesTheLibrarysResources)
{
    const HINSTANCE host = AfxGetResourceHandle();
    const HINSTANCE library = ::GetModuleHandleW(L"Tessaro87U.dll");
    ASSERT_NE(library, nullptr);
    ASSERT_NE(host, library);
    ScriptedProgress dialog(ZUnicodeString(L"Working"), ZUnicodeString(L"Job"));
    dialog.userActions = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0},
    };
    bool aliveAtSentinel = false;
    HINSTANCE inLoop = nullptr;
    std::thread worker;
    dialog.atSentinel = [&](ScriptedProgress& d) {
        aliveAtSentinel = ::IsWindow(d.m_hWnd) && d.ContinueModal();
        inLoop = AfxGetResourceHandle();  // what a host timer in the loop would find
        worker = std::thread([&d] { d.PostClose(); });
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    worker.join();
    EXPECT_TRUE(aliveAtSentinel);
    EXPECT_EQ(dialog.caption, L"Job");
    EXPECT_EQ(dialog.message, L"Working");
    EXPECT_TRUE(dialog.barStyle & PBS_MARQUEE);
    EXPECT_EQ(dialog.resourcesAtInit, library);
    EXPECT_EQ(inLoop, host);
    EXPECT_EQ(AfxGetResourceHandle(), host);
}

TEST(ProgressDialog, PostCloseBeforeTheDialogExistsStillClosesIt)
{
    struct Case {
        const char* name;
        std::function<ZProgressDialog*()> make;
    };
    const Case cases[] = {
        {"plain", [] { return new ScriptedProgress(ZUnicodeString(L"m"), false); }},
        {"alternate", [] { return new ScriptedProgress(ZUnicodeString(L"m"), true); }},
        {"seven lines", [] { return ZProgressDialog::Create7LineProgressDialog(ZUnicodeString(L"m")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ZProgressDialog> dialog(c.make());
        std::thread worker([&] { dialog->PostClose(); });  // races the dialog's creation
        EXPECT_EQ(dialog->DoModal(), IDCANCEL);
        worker.join();
        // After the end there is nothing to wait for.
        std::thread late([&] { dialog->PostClose(); });
        late.join();
        // One object, one dialog: a second run would be closable by the user
        // (whose close is on its way here) and miss its worker's close.
        const UINT_PTR userClose = ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
            ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                return TRUE;
            }, 0);
        });
        EXPECT_EQ(dialog->DoModal(), -1);
        ::KillTimer(nullptr, userClose);
    }
}

}  // namespace
