// An in-memory remote file system behind IRemoteFileDialogOperation, standing
// in for a host's connection in the demo and the tests.
//
// Paths are absolute, '/'-separated ("/home/user"). Answers come at once
// (from inside the request) or, with a delay, by a timer message on the
// creating thread, as a network round trip would. Any operation can be made to
// fail with a platform error code and a report of that code. Every request is
// recorded.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/IRemoteFileDialog.h"
#include "foundation/ZUnknown.h"

namespace HostRemote {

class InMemoryRemoteFileSystem : public ZUnknown<IRemoteFileDialogOperation> {
public:
    enum class Request { InitialPath, List, CreateFolder };

    // home: the path the server reports as the initial path.
    explicit InMemoryRemoteFileSystem(std::wstring home);
    ~InMemoryRemoteFileSystem() override;

    // Building the tree.
    void AddFolder(const std::wstring& path);
    void AddFile(const std::wstring& path);
    void Remove(const std::wstring& path);
    bool Exists(const std::wstring& path) const;

    // 0 answers at once; otherwise after that many milliseconds.
    void SetDelay(unsigned milliseconds) { m_delay = milliseconds; }
    // The next request of that kind fails with error (0: no longer).
    void FailNext(Request request, unsigned error) { FailLater(request, error, 0, 1); }
    // After passing more requests of that kind succeed, the next failing ones
    // fail with error: a connection that drops after some answers.
    void FailLater(Request request, unsigned error, unsigned passing, unsigned failing);
    // "ListFolder /home", "GetInitialPath ", "CreateFolder /home/new", ...
    const std::vector<std::wstring>& Log() const { return m_log; }
    size_t PendingAnswers() const { return m_pending.size(); }

    void SetSink(IRemoteFileDialogOperationSink* sink) override;
    void ListFolder(IRemoteFileDialogEntry* folder) override;
    void GetInitialPath(const wchar_t* path) override;
    void CreateFolder(const wchar_t* parentPath, const wchar_t* name, bool failIfExists) override;
    void GetDisplayInfo(IRemoteFileDialogEntry* entry, RemoteFileDisplayInfo& info) override;
    int CompareEntries(IRemoteFileDialogEntry* first, IRemoteFileDialogEntry* second) override;
    bool HasSubfolders(IRemoteFileDialogEntry* entry) override;
    bool IsFolder(IRemoteFileDialogEntry* entry) override;
    bool IsSameFolder(IRemoteFileDialogEntry* component, IRemoteFileDialogEntry* entry) override;
    bool HasName(IRemoteFileDialogEntry* entry, const wchar_t* name) override;
    bool GetPath(IRemoteFileDialogEntry* entry, std::wstring& path) override;
    bool SplitPath(const wchar_t* path, RemotePathComponents& components) override;
    void ResolvePath(const wchar_t* path, const wchar_t* initialPath, std::wstring& result) override;
    bool GetImageList(CImageList*& list) override;

    // Runs the answers whose time has come (the timer does it by itself).
    void DeliverDue();

private:
    void Answer(std::function<void(IRemoteFileDialogOperationSink*)> answer);
    unsigned TakeFailure(Request request);
    static std::wstring ParentOf(const std::wstring& path);
    static std::wstring NameOf(const std::wstring& path);

    std::wstring m_home;
    std::map<std::wstring, bool> m_nodes;  // path -> is a folder; "/" is the root
    IRemoteFileDialogOperationSink* m_sink = nullptr;
    unsigned m_delay = 0;
    struct Failure {
        unsigned error;
        unsigned passing;
        unsigned failing;
    };
    std::map<Request, Failure> m_failures;
    std::vector<std::wstring> m_log;
    struct Pending {
        ULONGLONG due;
        std::function<void(IRemoteFileDialogOperationSink*)> answer;
    };
    std::vector<Pending> m_pending;
    class Timer;
    std::unique_ptr<Timer> m_timer;
};

}  // namespace HostRemote
