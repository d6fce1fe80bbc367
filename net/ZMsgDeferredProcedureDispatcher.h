// ZMsgDeferredProcedureDispatcher: procedures queued on any thread run on the
// thread that created the dispatcher, woken by one posted message per batch.
//
// The posted flag is true while a wake-up message is on its way. Producers set
// it after they have queued; the owner clears it before it drains, so an entry
// either runs in the current pass or posts a new message. Two producers racing
// cost at most one surplus message, which finds the queue empty.
#pragma once

#include <atomic>

#include "foundation/IReportMessageParams.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "net/ZDeferredProcedureDispatcher.h"
#include "net/ZNotificationSink.h"

class TESSARO_API ZMsgDeferredProcedureDispatcher : public ZUnknown<ZDeferredProcedureDispatcher>,
                                                    private ZNotificationSink {
public:
    // The wake-up message.
    static constexpr UINT kRunQueueMessage = WM_USER + 1;

    ZMsgDeferredProcedureDispatcher() = default;
    // Destroys the window (waiting for its owner when called elsewhere), then
    // runs what is still queued on the calling thread.
    ~ZMsgDeferredProcedureDispatcher() override;

    // Makes the calling thread the owner; false with the reason in GetError.
    bool Create() override { return ZNotificationSink::Create(); }
    using ZNotificationSink::GetError;
    using ZNotificationSink::IsOwnerThread;

    void QueueProcedure(IDeferredProcedure* procedure, UINT_PTR parameter) override;
    // No more wake-ups: later entries wait for the destructor.
    void Shutdown() override;

protected:
    void DeleteThis() override;

private:
    void RunWhatIsLeft();
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::atomic<bool> m_posted{false};
};

// Builds a dispatcher owned by the calling thread (one reference for the
// caller). On failure returns null and, when error is not null, hands over a
// new report of the reason, which the caller releases.
TESSARO_API IDeferredProcedureDispatcher* CreateZMsgDeferredProcedureDispatcher(
    IReportMessageParams** error);
