// Demo section: a job on a worker thread behind a progress dialog, its result
// handed back to the user-interface thread through a deferred-procedure
// dispatcher, then shown in a resizable dialog that keeps its minimum size and
// is closed from another thread. Screenshots of both dialogs are saved.
#include <afxwin.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "controls/ZDialog.h"
#include "controls/ZProgressDialog.h"
#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"
#include "net/ZMfcThread.h"
#include "net/ZMsgDeferredProcedureDispatcher.h"

namespace {

constexpr UINT kResultTemplate = 320;
constexpr int kResultText = 321;
constexpr int kHint = 322;
constexpr UINT_PTR kScreenshotTimer = 1;

struct Job {
    uint32_t limit = 3'000'000;
    uint32_t primes = 0;
    uint32_t largest = 0;
    DWORD resultThread = 0;      // where the result arrived
    HANDLE screenshotTaken = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ZProgressDialog* dialog = nullptr;
    IDeferredProcedureDispatcher* dispatcher = nullptr;
    ~Job() { ::CloseHandle(screenshotTaken); }
};

// Stores the result on the user-interface thread.
class DeliverResult : public ZUnknown<IDeferredProcedure> {
public:
    explicit DeliverResult(Job& job, uint32_t primes, uint32_t largest) : m_job(job), m_primes(primes), m_largest(largest) {}
    void Execute(UINT_PTR) override
    {
        m_job.primes = m_primes;
        m_job.largest = m_largest;
        m_job.resultThread = ::GetCurrentThreadId();
    }

private:
    Job& m_job;
    uint32_t m_primes;
    uint32_t m_largest;
};

unsigned CountPrimes(void* parameter)
{
    Job& job = *static_cast<Job*>(parameter);
    std::vector<bool> composite(job.limit + 1);
    uint32_t count = 0, largest = 0;
    for (uint32_t n = 2; n <= job.limit; ++n) {
        if (composite[n])
            continue;
        ++count;
        largest = n;
        for (uint64_t m = uint64_t(n) * n; m <= job.limit; m += n)
            composite[m] = true;
    }
    job.dispatcher->QueueProcedure(ZAdoptReference(new DeliverResult(job, count, largest)).Get(), 0);
    // The picture of the running dialog first, then the end of the wait.
    ::WaitForSingleObject(job.screenshotTaken, 10000);
    job.dialog->PostClose();
    return 0;
}

class JobProgressDialog : public ZProgressDialog {
public:
    JobProgressDialog(Job& job)
        : ZProgressDialog(ZUnicodeString(L"Counting the primes below three million on a worker thread..."),
                          ZUnicodeString(L"Working")),
          m_job(job)
    {
    }
    std::wstring screenshot;

    BOOL OnInitDialog() override
    {
        ZProgressDialog::OnInitDialog();
        SetTimer(kScreenshotTimer, 600);
        return TRUE;
    }

protected:
    afx_msg void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        screenshot = SaveScreenshot(m_hWnd, L"progress-dialog.png");
        ::SetEvent(m_job.screenshotTaken);
    }
    DECLARE_MESSAGE_MAP()

private:
    Job& m_job;
};

BEGIN_MESSAGE_MAP(JobProgressDialog, ZProgressDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class ResultDialog : public ZDialog {
public:
    explicit ResultDialog(const std::wstring& text) : ZDialog(kResultTemplate, ::GetModuleHandleW(nullptr)), m_text(text) {}
    SIZE initial = {}, afterShrink = {}, afterGrow = {};
    std::wstring screenshot;
    std::thread closer;

    BOOL OnInitDialog() override
    {
        // The text is fitted first, so that the fitted dialog is the minimum
        // and the layout starts from the fitted controls.
        SetDlgItemText(kResultText, m_text.c_str());
        ZArray<int> followers;
        followers.Add(kHint);
        followers.Add(IDOK);
        ResizeElements(kResultText, followers, ZUnicodeString(m_text.c_str()));
        const BOOL result = OnInitDynamicLayoutDialog(kResultTemplate, nullptr, false);
        SetTimer(kScreenshotTimer, 300);
        return result;
    }

protected:
    afx_msg void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        initial = Size();
        // What a drag to a smaller frame would ask for, then a larger one.
        SetWindowPos(nullptr, 0, 0, initial.cx / 2, initial.cy / 2, SWP_NOMOVE | SWP_NOZORDER);
        afterShrink = Size();
        SetWindowPos(nullptr, 0, 0, initial.cx + 120, initial.cy + 40, SWP_NOMOVE | SWP_NOZORDER);
        afterGrow = Size();
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        screenshot = SaveScreenshot(m_hWnd, L"result-dialog.png");
        // Any thread may end a ZDialog.
        closer = std::thread([this] { EndDialog(IDOK); });
    }
    DECLARE_MESSAGE_MAP()

private:
    SIZE Size()
    {
        CRect rect;
        GetWindowRect(&rect);
        return SIZE{rect.Width(), rect.Height()};
    }
    std::wstring m_text;
};

BEGIN_MESSAGE_MAP(ResultDialog, ZDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

void ShowProgressAndResult()
{
    DemoPrintf(L"== Worker job behind a progress dialog\n");
    IReportMessageParams* error = nullptr;
    auto dispatcher = ZAdoptReference(CreateZMsgDeferredProcedureDispatcher(&error));
    if (!dispatcher) {
        DemoPrintf(L"skipped: no dispatcher: %ls\n\n", error ? error->GetText() : L"");
        if (error)
            error->Release();
        return;
    }
    Job job;
    job.dispatcher = dispatcher.Get();
    JobProgressDialog progress(job);
    job.dialog = &progress;
    auto worker = ZAdoptReference(new ZMfcThread);
    if (!worker->Create(CountPrimes, &job, 0, 0)) {
        DemoPrintf(L"skipped: the worker could not start\n\n");
        return;
    }
    const INT_PTR shown = progress.DoModal();
    worker->Wait(INFINITE);
    MSG msg;
    while (job.resultThread == 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0)  // the result may still be queued
        ::DispatchMessageW(&msg);
    DemoPrintf(L"progress dialog closed by its worker (DoModal returned %ls)\n",
               shown == IDCANCEL ? L"IDCANCEL" : L"something else");
    DemoPrintf(L"result delivered on the %ls thread: %u primes below %u, the largest %u\n",
               job.resultThread == ::GetCurrentThreadId() ? L"user-interface" : L"worker", job.primes, job.limit,
               job.largest);
    if (!progress.screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", progress.screenshot.c_str());

    wchar_t text[200];
    swprintf(text, 200, L"There are %u primes below %u.\nThe largest is %u.\nThe count ran on a worker thread.",
             job.primes, job.limit, job.largest);
    ResultDialog result(text);
    const INT_PTR ended = result.DoModal();
    if (result.closer.joinable())
        result.closer.join();
    const SIZE minimum = result.GetMinimumSize();
    DemoPrintf(L"result dialog: minimum %ldx%ld (its size with the text fitted), shown at %ldx%ld;\n"
               L"asked to shrink to half it stopped at %ldx%ld; grown to %ldx%ld\n",
               minimum.cx, minimum.cy, result.initial.cx, result.initial.cy, result.afterShrink.cx,
               result.afterShrink.cy, result.afterGrow.cx, result.afterGrow.cy);
    DemoPrintf(L"ended from another thread with %ls\n", ended == IDOK ? L"IDOK" : L"something else");
    if (!result.screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", result.screenshot.c_str());
    DemoPrintf(L"\n");
}
