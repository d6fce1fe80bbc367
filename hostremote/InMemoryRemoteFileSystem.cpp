#include "hostremote/InMemoryRemoteFileSystem.h"

#include <algorithm>
#include <cwctype>

#include "foundation/ZReportMessageParams.h"
#include "net/ZNotificationSink.h"

namespace HostRemote {

namespace {

// An entry is its path.
class Entry : public ZUnknown<IRemoteFileDialogEntry> {
public:
    explicit Entry(std::wstring path) : path(std::move(path)) {}
    const std::wstring path;
};

const std::wstring* PathOf(IRemoteFileDialogEntry* entry)
{
    return entry ? &static_cast<Entry*>(entry)->path : nullptr;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) - CSTR_EQUAL;
}

constexpr UINT_PTR kAnswerTimer = 1;

}  // namespace

// Wakes the file system when delayed answers are due.
class InMemoryRemoteFileSystem::Timer : public ZNotificationSink {
public:
    explicit Timer(InMemoryRemoteFileSystem& owner) : m_owner(owner) { Create(); }
    ~Timer() override { DestroyNotificationWindow(); }
    void Arm(unsigned milliseconds) { ::SetTimer(GetNotificationWindow(), kAnswerTimer, milliseconds, nullptr); }
    LRESULT OnTimer(WPARAM) override
    {
        ::KillTimer(GetNotificationWindow(), kAnswerTimer);
        m_owner.DeliverDue();
        return 0;
    }

private:
    InMemoryRemoteFileSystem& m_owner;
};

InMemoryRemoteFileSystem::InMemoryRemoteFileSystem(std::wstring home)
    : m_home(std::move(home)), m_timer(std::make_unique<Timer>(*this))
{
    m_nodes[L"/"] = true;
    AddFolder(m_home);
}

InMemoryRemoteFileSystem::~InMemoryRemoteFileSystem() = default;

std::wstring InMemoryRemoteFileSystem::ParentOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'/');
    return slash == 0 || slash == std::wstring::npos ? L"/" : path.substr(0, slash);
}

std::wstring InMemoryRemoteFileSystem::NameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'/') + 1);
}

void InMemoryRemoteFileSystem::AddFolder(const std::wstring& path)
{
    if (path.empty() || path == L"/")
        return;
    AddFolder(ParentOf(path));
    m_nodes[path] = true;
}

void InMemoryRemoteFileSystem::AddFile(const std::wstring& path)
{
    AddFolder(ParentOf(path));
    m_nodes[path] = false;
}

void InMemoryRemoteFileSystem::Remove(const std::wstring& path)
{
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        const bool below = it->first == path || it->first.compare(0, path.size() + 1, path + L"/") == 0;
        it = below ? m_nodes.erase(it) : std::next(it);
    }
}

bool InMemoryRemoteFileSystem::Exists(const std::wstring& path) const
{
    return m_nodes.count(path) != 0;
}

void InMemoryRemoteFileSystem::FailLater(Request request, unsigned error, unsigned passing, unsigned failing)
{
    if (error == 0 || failing == 0)
        m_failures.erase(request);
    else
        m_failures[request] = Failure{error, passing, failing};
}

unsigned InMemoryRemoteFileSystem::TakeFailure(Request request)
{
    const auto found = m_failures.find(request);
    if (found == m_failures.end())
        return 0;
    Failure& failure = found->second;
    if (failure.passing > 0) {
        --failure.passing;
        return 0;
    }
    const unsigned error = failure.error;
    if (--failure.failing == 0)
        m_failures.erase(found);
    return error;
}

void InMemoryRemoteFileSystem::Answer(std::function<void(IRemoteFileDialogOperationSink*)> answer)
{
    if (m_delay == 0) {
        if (m_sink)
            answer(m_sink);
        return;
    }
    m_pending.push_back(Pending{::GetTickCount64() + m_delay, std::move(answer)});
    m_timer->Arm(m_delay);
}

void InMemoryRemoteFileSystem::DeliverDue()
{
    const ULONGLONG now = ::GetTickCount64();
    std::vector<Pending> due;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->due <= now) {
            due.push_back(std::move(*it));
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    if (!m_pending.empty())
        m_timer->Arm(static_cast<unsigned>(m_pending.front().due - std::min(now, m_pending.front().due)) + 1);
    // Answers reach whoever listens when they arrive: nobody, once the dialog has gone.
    for (Pending& answer : due)
        if (m_sink)
            answer.answer(m_sink);
}

void InMemoryRemoteFileSystem::SetSink(IRemoteFileDialogOperationSink* sink)
{
    m_sink = sink;
}

void InMemoryRemoteFileSystem::ListFolder(IRemoteFileDialogEntry* folder)
{
    const std::wstring path = folder ? *PathOf(folder) : L"/";
    m_log.push_back(L"ListFolder " + path);
    const unsigned error = TakeFailure(Request::List);
    std::vector<ZUnknownPointer<IRemoteFileDialogEntry>> entries;
    if (!error) {
        for (const auto& [node, isFolder] : m_nodes) {
            if (node != L"/" && ParentOf(node) == path)
                entries.push_back(ZAdoptReference<IRemoteFileDialogEntry>(new Entry(node)));
        }
    }
    Answer([entries, error](IRemoteFileDialogOperationSink* sink) {
        for (const auto& entry : entries)
            sink->OnListEntry(entry.Get());
        auto report = ZAdoptReference(new ZReportMessageParams(error));
        sink->OnListComplete(error, error ? report.Get() : nullptr);
    });
}

void InMemoryRemoteFileSystem::GetInitialPath(const wchar_t* path)
{
    const std::wstring asked = path ? path : L"";
    m_log.push_back(L"GetInitialPath " + asked);
    unsigned error = TakeFailure(Request::InitialPath);
    if (!error && !asked.empty() && asked[0] == L'/' && !Exists(asked))
        error = ERROR_FILE_NOT_FOUND;  // the server starts at home instead
    const std::wstring home = m_home;
    Answer([error, home](IRemoteFileDialogOperationSink* sink) {
        auto report = ZAdoptReference(new ZReportMessageParams(error));
        sink->OnInitialPath(error, error ? report.Get() : nullptr, home.c_str());
    });
}

void InMemoryRemoteFileSystem::CreateFolder(const wchar_t* parentPath, const wchar_t* name, bool failIfExists)
{
    const std::wstring parent = parentPath ? parentPath : L"/";
    const std::wstring path = (parent == L"/" ? L"" : parent) + L"/" + (name ? name : L"");
    m_log.push_back(L"CreateFolder " + path);
    unsigned error = TakeFailure(Request::CreateFolder);
    if (!error && Exists(path) && failIfExists)
        error = ERROR_ALREADY_EXISTS;
    if (!error && (!Exists(parent) || std::wstring(name ? name : L"").find(L'/') != std::wstring::npos))
        error = ERROR_INVALID_NAME;
    if (!error)
        AddFolder(path);
    Answer([error](IRemoteFileDialogOperationSink* sink) {
        auto report = ZAdoptReference(new ZReportMessageParams(error));
        sink->OnCreateFolderComplete(static_cast<int>(error), error ? report.Get() : nullptr);
    });
}

void InMemoryRemoteFileSystem::GetDisplayInfo(IRemoteFileDialogEntry* entry, RemoteFileDisplayInfo& info)
{
    if (info.kind & RemoteFileDisplayInfo::Text)
        info.text = entry ? NameOf(*PathOf(entry)) : L"New Folder";
    if (info.kind & RemoteFileDisplayInfo::Image)
        info.image = 0;
    if (info.kind & RemoteFileDisplayInfo::SelectedImage)
        info.selectedImage = 1;
}

int InMemoryRemoteFileSystem::CompareEntries(IRemoteFileDialogEntry* first, IRemoteFileDialogEntry* second)
{
    // The placeholder of a new folder sorts last.
    if (!first || !second)
        return first ? -1 : second ? 1 : 0;
    return CompareNoCase(NameOf(*PathOf(first)), NameOf(*PathOf(second)));
}

bool InMemoryRemoteFileSystem::HasSubfolders(IRemoteFileDialogEntry* entry)
{
    const std::wstring& path = *PathOf(entry);
    return std::any_of(m_nodes.begin(), m_nodes.end(),
                       [&](const auto& node) { return node.second && node.first != L"/" && ParentOf(node.first) == path; });
}

bool InMemoryRemoteFileSystem::IsFolder(IRemoteFileDialogEntry* entry)
{
    const auto found = m_nodes.find(*PathOf(entry));
    return found != m_nodes.end() && found->second;
}

bool InMemoryRemoteFileSystem::IsSameFolder(IRemoteFileDialogEntry* component, IRemoteFileDialogEntry* entry)
{
    return *PathOf(component) == *PathOf(entry);
}

bool InMemoryRemoteFileSystem::HasName(IRemoteFileDialogEntry* entry, const wchar_t* name)
{
    return name && NameOf(*PathOf(entry)) == name;
}

bool InMemoryRemoteFileSystem::GetPath(IRemoteFileDialogEntry* entry, std::wstring& path)
{
    if (!entry)
        return false;
    path = *PathOf(entry);
    return true;
}

bool InMemoryRemoteFileSystem::SplitPath(const wchar_t* path, RemotePathComponents& components)
{
    const std::wstring whole = path ? path : L"";
    if (whole.empty() || whole[0] != L'/')
        return false;
    for (size_t slash = whole.find(L'/', 1);; slash = whole.find(L'/', slash + 1)) {
        const std::wstring prefix = whole.substr(0, slash);
        if (prefix.size() > 1)
            components.push_back(new Entry(prefix));
        if (slash == std::wstring::npos)
            break;
    }
    return true;
}

void InMemoryRemoteFileSystem::ResolvePath(const wchar_t* path, const wchar_t* initialPath, std::wstring& result)
{
    const std::wstring asked = path ? path : L"";
    const std::wstring start = initialPath ? initialPath : L"/";
    if (!asked.empty() && asked[0] == L'/')
        result = asked;
    else if (asked.empty())
        result = start;
    else
        result = (start == L"/" ? L"" : start) + L"/" + asked;
}

bool InMemoryRemoteFileSystem::GetImageList(CImageList*&)
{
    return false;  // no pictures: the tree shows names only
}

}  // namespace HostRemote
