#include "hoststore/ZFileProfileStore.h"

#include "foundation/ZExceptions.h"
#include "foundation/ZUTF8.h"
#include "net/ZSynchObjectLock.h"
#include "settings/ZFile.h"
#include "settings/ZIpcLock.h"

#include <cstring>
#include <cwctype>
#include <mutex>
#include <utility>
#include <vector>

namespace HostStore {

namespace {

// Settings files are small; anything this large is not one of ours, and
// reading it whole would only waste memory.
constexpr size_t kMaxFileBytes = 64u * 1024u * 1024u;

constexpr wchar_t kExtension[] = L".ini";
constexpr size_t kExtensionLength = 4;
constexpr size_t kMaxTopLevelName = 255 - kExtensionLength;
// As deep as the registry goes; deeper paths in a file would only run the
// recursive writer out of stack.
constexpr size_t kMaxDepth = 512;

bool SameName(const std::wstring& a, const wchar_t* b, size_t bLength)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, static_cast<int>(bLength), TRUE) ==
           CSTR_EQUAL;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return SameName(a, b.c_str(), b.size());
}

// Values

struct Value {
    DWORD type = ZProfileValueDword;
    DWORD number = 0;
    std::wstring text;
    std::vector<BYTE> bytes;
    std::vector<std::wstring> texts;

    bool operator==(const Value&) const = default;
};

struct Node {
    std::wstring name;
    size_t depth = 0;  // 0 for a top-level key
    std::vector<std::pair<std::wstring, Value>> values;  // in the order first written
    std::vector<std::unique_ptr<Node>> children;         // nodes never move or die while the tree lives

    Value* FindValue(const std::wstring& valueName)
    {
        for (auto& entry : values) {
            if (SameName(entry.first, valueName))
                return &entry.second;
        }
        return nullptr;
    }

    Node* FindChild(const std::wstring& childName)
    {
        for (auto& child : children) {
            if (SameName(child->name, childName))
                return child.get();
        }
        return nullptr;
    }

    Node* Child(const std::wstring& childName)
    {
        if (Node* found = FindChild(childName))
            return found;
        children.push_back(std::make_unique<Node>());
        children.back()->name = childName;
        children.back()->depth = depth + 1;
        return children.back().get();
    }
};

}  // namespace

// One top-level key and its file, shared by every handle that reaches it.
struct TopKey {
    std::wstring name;  // as found on disk, or as first opened
    std::wstring path;
    Node root;
    bool readOnly = false;  // the file held something we could not understand
    std::string diskBytes;  // the file as last read or written here, to notice writes of others
    ZUnknownPointer<ZIpcLock> fileLock;  // one per file across processes, held from re-read to replace
};

struct SharedState {
    std::mutex mutex;
    std::wstring folder;  // without a trailing backslash
    std::vector<std::weak_ptr<TopKey>> open;
    ZFileProfileStoreFactory::WriteFaultHook faultHook;
};

namespace {

// Text encoding of names and contents

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendEscape(std::wstring& out, wchar_t c)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    out += L'%';
    out += digits[(c >> 12) & 0xF];
    out += digits[(c >> 8) & 0xF];
    out += digits[(c >> 4) & 0xF];
    out += digits[c & 0xF];
}

std::wstring Escape(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
            continue;
        }
        const bool edgeBlank = c == L' ' && (i == 0 || i + 1 == text.size());
        if (c < 0x20 || c == 0x7F || IsHighSurrogate(c) || IsLowSurrogate(c) || edgeBlank ||
            std::wstring_view(L"%=[];,\\").find(c) != std::wstring_view::npos)
            AppendEscape(out, c);
        else
            out += c;
    }
    return out;
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

bool Unescape(std::wstring_view text, std::wstring& out)
{
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 5)
            return false;
        unsigned unit = 0;
        for (size_t k = 1; k <= 4; ++k) {
            const int digit = HexDigit(text[i + k]);
            if (digit < 0)
                return false;
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        out += static_cast<wchar_t>(unit);
        i += 4;
    }
    return true;
}

// A key or value name: no name given through the interface can hold a NUL unit,
// so one that does could be listed but never opened or read by that name.
bool UnescapeName(std::wstring_view text, std::wstring& out)
{
    return Unescape(text, out) && out.find(L'\0') == std::wstring::npos;
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

// Splits a key path at backslashes; false when a component is empty.
bool SplitPath(std::wstring_view path, std::vector<std::wstring>& components)
{
    components.clear();
    size_t start = 0;
    while (true) {
        const size_t end = path.find(L'\\', start);
        const std::wstring_view part = path.substr(start, end == std::wstring_view::npos ? path.npos : end - start);
        if (part.empty())
            return false;
        components.emplace_back(part);
        if (end == std::wstring_view::npos)
            return true;
        start = end + 1;
    }
}

// The file format

void SerializeValue(std::wstring& out, const std::wstring& name, const Value& value)
{
    static const wchar_t hex[] = L"0123456789abcdef";
    out += Escape(name);
    out += L'=';
    switch (value.type) {
    case ZProfileValueDword:
        out += L"dword:";
        out += std::to_wstring(value.number);
        break;
    case ZProfileValueString:
        out += L"sz:";
        out += Escape(value.text);
        break;
    case ZProfileValueBinary:
        out += L"hex:";
        for (BYTE b : value.bytes) {
            out += hex[b >> 4];
            out += hex[b & 0xF];
        }
        break;
    case ZProfileValueStringArray:
        out += L"multi_sz:";
        for (const std::wstring& element : value.texts) {
            out += Escape(element);
            out += L',';
        }
        break;
    }
    out += L"\r\n";
}

void SerializeNode(std::wstring& out, const Node& node, const std::wstring& path)
{
    if (!path.empty()) {
        out += L'[';
        out += path;
        out += L"]\r\n";
    }
    for (const auto& entry : node.values)
        SerializeValue(out, entry.first, entry.second);
    for (const auto& child : node.children) {
        const std::wstring childPath = path.empty() ? Escape(child->name) : path + L'\\' + Escape(child->name);
        SerializeNode(out, *child, childPath);
    }
}

// Escaping has left no unpaired surrogate, so the library's encoder writes the
// standard form; its refusal is kept as a failed write all the same.
bool ToUtf8(const std::wstring& text, std::string& out)
{
    try {
        out = ZEncodeUTF8(text.data(), text.size());
        return true;
    } catch (const IllegalSequence&) {
        out.clear();
        return false;
    }
}

// Strict on purpose: the library's decoder accepts stray continuation bytes and
// overlong forms for older peers, and a file read that way would be "understood"
// and then rewritten with other bytes.
bool FromUtf8(const std::string& bytes, std::wstring& out)
{
    out.clear();
    std::string_view view(bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        view.remove_prefix(3);
    if (view.empty())
        return true;
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, view.data(), static_cast<int>(view.size()), nullptr, 0);
    if (length <= 0)
        return false;
    out.resize(static_cast<size_t>(length));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, view.data(), static_cast<int>(view.size()), out.data(),
                                 length) == length;
}

bool ParseValue(std::wstring_view tag, std::wstring_view content, Value& value)
{
    if (tag == L"dword") {
        if (content.empty() || content.size() > 10)
            return false;
        unsigned long long number = 0;
        for (wchar_t c : content) {
            if (c < L'0' || c > L'9')
                return false;
            number = number * 10 + static_cast<unsigned>(c - L'0');
        }
        if (number > MAXDWORD)
            return false;
        value.type = ZProfileValueDword;
        value.number = static_cast<DWORD>(number);
        return true;
    }
    if (tag == L"sz") {
        value.type = ZProfileValueString;
        return Unescape(content, value.text);
    }
    if (tag == L"hex") {
        if (content.size() % 2 != 0)
            return false;
        value.type = ZProfileValueBinary;
        value.bytes.resize(content.size() / 2);
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            const int high = HexDigit(content[2 * i]);
            const int low = HexDigit(content[2 * i + 1]);
            if (high < 0 || low < 0)
                return false;
            value.bytes[i] = static_cast<BYTE>(high * 16 + low);
        }
        return true;
    }
    if (tag == L"multi_sz") {
        value.type = ZProfileValueStringArray;
        if (content.empty())
            return true;
        if (content.back() != L',')
            return false;
        size_t start = 0;
        while (start < content.size()) {
            const size_t end = content.find(L',', start);
            std::wstring element;
            if (!Unescape(content.substr(start, end - start), element))
                return false;
            value.texts.push_back(std::move(element));
            start = end + 1;
        }
        return true;
    }
    return false;
}

// Fills root from the file's text; false when something in it could not be
// understood (what could be is kept).
bool Parse(const std::wstring& text, Node& root)
{
    bool clean = true;
    Node* current = &root;
    std::vector<std::wstring> components;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == L';')
            continue;

        if (line.front() == L'[') {
            if (line.back() != L']') {
                clean = false;
                current = nullptr;  // its values have nowhere sound to go
                continue;
            }
            const std::wstring_view path = Trim(line.substr(1, line.size() - 2));
            current = &root;
            if (path.empty())
                continue;
            if (!SplitPath(path, components) || components.size() > kMaxDepth) {
                clean = false;
                current = nullptr;
                continue;
            }
            for (const std::wstring& component : components) {
                std::wstring name;
                if (!UnescapeName(Trim(component), name) || name.empty()) {
                    clean = false;
                    current = nullptr;
                    break;
                }
                current = current->Child(name);
            }
            continue;
        }

        const size_t equals = line.find(L'=');
        const size_t colon = equals == std::wstring_view::npos ? equals : line.find(L':', equals);
        std::wstring name;
        Value value;
        if (colon == std::wstring_view::npos || !current || !UnescapeName(Trim(line.substr(0, equals)), name) ||
            !ParseValue(Trim(line.substr(equals + 1, colon - equals - 1)), Trim(line.substr(colon + 1)), value) ||
            current->FindValue(name)) {
            clean = false;
            continue;
        }
        current->values.emplace_back(std::move(name), std::move(value));
    }
    return clean;
}

// Files

void CreateFolders(const std::wstring& folder)
{
    if (::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return;
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0 || folder[slash - 1] == L':')
        return;
    CreateFolders(folder.substr(0, slash));
    ::CreateDirectoryW(folder.c_str(), nullptr);
}

bool Injected(const SharedState& state, ZFileProfileStoreFactory::WriteStep step)
{
    if (state.faultHook && state.faultHook(step)) {
        ::SetLastError(ERROR_DISK_FULL);
        return true;
    }
    return false;
}

bool WriteAll(ZFile& file, const char* data, size_t size)
{
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!file.Write(data, chunk, written) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Writes bytes to a temporary file beside path, flushes it and moves it over
// path in one step. On failure the temporary file is gone and path untouched.
bool WriteFileAtomically(const SharedState& state, const std::wstring& path, const std::string& bytes)
{
    using Step = ZFileProfileStoreFactory::WriteStep;
    CreateFolders(state.folder);

    static volatile LONG counter = 0;
    std::wstring temporary;
    ZFile file;  // shared with no one while it is written
    if (Injected(state, Step::CreateTemporary))
        return false;
    for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
        temporary = path + L'.' + std::to_wstring(::GetCurrentProcessId()) + L'.' +
                    std::to_wstring(::InterlockedIncrement(&counter)) + L".tmp";
        if (!file.Open(temporary.c_str(), GENERIC_WRITE, CREATE_NEW) && ::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (!file.IsOpen())
        return false;

    bool ok;
    if (Injected(state, Step::Write)) {
        WriteAll(file, bytes.data(), bytes.size() / 2);
        ok = false;
    } else {
        ok = WriteAll(file, bytes.data(), bytes.size());
    }
    ok = ok && !Injected(state, Step::Flush) && ::FlushFileBuffers(file.GetHandle());
    file.Close();
    ok = ok && !Injected(state, Step::Replace) &&
         ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        ::SetLastError(error);
    }
    return ok;
}

// The writer of a temporary is gone when its process has ended, or when the
// process now holding that id started after the temporary was made. A process
// that cannot be asked about counts as a live writer.
bool WriterIsGone(DWORD processId, const FILETIME& madeAt)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD exitCode = 0;
    FILETIME created, exited, kernel, user;
    bool gone = false;
    if (::GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE)
        gone = true;
    else if (::GetProcessTimes(process, &created, &exited, &kernel, &user))
        gone = ::CompareFileTime(&created, &madeAt) > 0;
    ::CloseHandle(process);
    return gone;
}

// "<pid>.<n>" as WriteFileAtomically names its temporaries; false for anything else.
bool ParseTemporaryMiddle(const std::wstring& middle, DWORD& processId)
{
    const size_t dot = middle.find(L'.');
    if (dot == 0 || dot == std::wstring::npos || dot + 1 == middle.size() || dot > 10)
        return false;
    for (size_t i = 0; i < middle.size(); ++i) {
        if (i != dot && (middle[i] < L'0' || middle[i] > L'9'))
            return false;
    }
    const unsigned long long id = std::stoull(middle.substr(0, dot));
    if (id > 0xFFFFFFFFull)
        return false;
    processId = static_cast<DWORD>(id);
    return true;
}

// Removes the temporaries of path whose writers died between making them and
// moving them over the file. The caller holds the file's mutex, under which
// every live writer makes and moves its temporary.
void RemoveAbandonedTemporaries(const std::wstring& path)
{
    const size_t folderEnd = path.find_last_of(L"\\/");
    const std::wstring folder = folderEnd == std::wstring::npos ? std::wstring() : path.substr(0, folderEnd + 1);
    const std::wstring fileName = path.substr(folder.size());
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((path + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        constexpr size_t kSuffix = 4;  // ".tmp"
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || name.size() <= fileName.size() + 1 + kSuffix ||
            !SameName(fileName, name.c_str(), fileName.size()) || name[fileName.size()] != L'.')
            continue;
        const std::wstring middle = name.substr(fileName.size() + 1, name.size() - fileName.size() - 1 - kSuffix);
        DWORD processId = 0;
        // The earlier of the two times: file systems without a creation time
        // report another one there, never one before the last write.
        const FILETIME madeAt = ::CompareFileTime(&found.ftLastWriteTime, &found.ftCreationTime) < 0
                                    ? found.ftLastWriteTime
                                    : found.ftCreationTime;
        if (ParseTemporaryMiddle(middle, processId) && WriterIsGone(processId, madeAt))
            ::DeleteFileW((folder + name).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool SaveTopKey(const SharedState& state, TopKey& top)
{
    std::wstring text;
    SerializeNode(text, top.root, std::wstring());
    std::string bytes;
    if (!ToUtf8(text, bytes) || bytes.size() > kMaxFileBytes || !WriteFileAtomically(state, top.path, bytes))
        return false;
    top.diskBytes = std::move(bytes);
    return true;
}

// The whole file; empty when there is none. False when it exists but cannot
// be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    ZFile file;
    file.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    const int64_t size = file.GetSize();
    if (size < 0 || size > static_cast<int64_t>(kMaxFileBytes))
        return false;
    bytes.resize(static_cast<size_t>(size));
    DWORD read = 0;
    return bytes.empty() ||
           (file.Read(bytes.data(), static_cast<DWORD>(bytes.size()), 0, read) && read == bytes.size());
}

bool ParseFile(const std::string& bytes, Node& root)
{
    std::wstring text;
    return FromUtf8(bytes, text) && Parse(text, root);
}

// Values and keys of disk win over those in memory; what only memory holds
// stays (it was written here, and another writer's older copy dropped it).
void Merge(Node& memory, const Node& disk)
{
    for (const auto& entry : disk.values) {
        if (Value* existing = memory.FindValue(entry.first))
            *existing = entry.second;
        else
            memory.values.push_back(entry);
    }
    for (const auto& child : disk.children)
        Merge(*memory.Child(child->name), *child);
}

// Takes in what other processes (or other factories) wrote to the file since
// this one last saw it. False when the file can no longer be read or
// understood; the key is then not written again.
bool Refresh(TopKey& top)
{
    std::string bytes;
    if (!ReadWholeFile(top.path, bytes))
        return false;
    if (bytes == top.diskBytes)
        return true;
    Node disk;
    if (!ParseFile(bytes, disk)) {
        top.readOnly = true;
        return false;
    }
    Merge(top.root, disk);
    top.diskBytes = std::move(bytes);
    return true;
}

// Names the mutex after the file, so that every process writing it shares one.
ZIpcLock* CreateFileLock(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(length < full.size() ? length : 0);
    if (full.empty())
        full = path;
    std::wstring upper(full.size(), L'\0');
    if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.c_str(), static_cast<int>(full.size()),
                        upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0) == 0)
        upper = full;
    // FNV-1a: the path itself may be longer than a name may be and holds backslashes.
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : upper) {
        hash ^= static_cast<unsigned short>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"TessaroHostStore.%016llx", hash);
    return new ZIpcLock(name);
}

// Reads the top-level key's file; a missing file is an empty key. Null when
// the file exists but cannot be read.
std::shared_ptr<TopKey> LoadTopKey(const SharedState& state, const std::wstring& name)
{
    auto top = std::make_shared<TopKey>();
    top->name = name;
    top->path = state.folder + L'\\' + name + kExtension;

    // Keep the case of an existing file, which a case-insensitive open found.
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(top->path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        ::FindClose(search);
        const std::wstring fileName = found.cFileName;
        if (fileName.size() > kExtensionLength && SameName(fileName.substr(0, fileName.size() - kExtensionLength), name)) {
            top->name = fileName.substr(0, fileName.size() - kExtensionLength);
            top->path = state.folder + L'\\' + fileName;
        }
    }

    if (!ReadWholeFile(top->path, top->diskBytes))
        return nullptr;
    top->readOnly = !ParseFile(top->diskBytes, top->root);
    top->fileLock.Attach(CreateFileLock(top->path));
    return top;
}

// Iterators work on a snapshot, so that writing while iterating (as a copy
// within one file does) neither invalidates nor extends them.
class FileIterator : public IProfileKeyIteratorImpl {
public:
    std::vector<std::pair<std::wstring, DWORD>> values;
    std::vector<std::wstring> keys;

    bool NextValue(ZUnicodeString& name, DWORD& type) override
    {
        if (m_nextValue >= values.size())
            return false;
        name = values[m_nextValue].first;
        type = values[m_nextValue].second;
        ++m_nextValue;
        return true;
    }

    bool NextKey(ZUnicodeString& name) override
    {
        if (m_nextKey >= keys.size())
            return false;
        name = keys[m_nextKey++];
        return true;
    }

private:
    size_t m_nextValue = 0;
    size_t m_nextKey = 0;
};

// A key: the store's root (no top-level key, no values, the files as child
// keys) or a node inside one top-level key.
class FileKey : public IProfileKeyImpl {
public:
    FileKey(std::shared_ptr<SharedState> state, std::shared_ptr<TopKey> top, Node* node)
        : m_state(std::move(state)), m_top(std::move(top)), m_node(node) {}

    bool ReadStringArray(const wchar_t* name, ZStringArray& value) override
    {
        return ReadValue(name, ZProfileValueStringArray, [&value](const Value& found) {
            ZStringArray result;
            for (const std::wstring& element : found.texts)
                result.Add(ZUnicodeString(element));
            value = std::move(result);
            return true;
        });
    }

    bool ReadBinary(const wchar_t* name, void* buffer, UINT64& size) override
    {
        return ReadValue(name, ZProfileValueBinary, [buffer, &size](const Value& found) {
            if (buffer) {
                if (size < found.bytes.size())
                    return false;
                if (!found.bytes.empty())
                    memcpy(buffer, found.bytes.data(), found.bytes.size());
            }
            size = found.bytes.size();
            return true;
        });
    }

    bool ReadString(const wchar_t* name, ZUnicodeString& value) override
    {
        return ReadValue(name, ZProfileValueString, [&value](const Value& found) {
            value = found.text;
            return true;
        });
    }

    bool ReadDword(const wchar_t* name, DWORD& value) override
    {
        return ReadValue(name, ZProfileValueDword, [&value](const Value& found) {
            value = found.number;
            return true;
        });
    }

    bool WriteStringArray(const wchar_t* name, const ZStringArray& value) override
    {
        Value stored;
        stored.type = ZProfileValueStringArray;
        for (const ZUnicodeString& element : value)
            stored.texts.emplace_back(element.c_str(), element.length());
        return Store(name, std::move(stored));
    }

    bool WriteBinary(const wchar_t* name, const void* data, UINT64 size) override
    {
        if ((!data && size) || size > kMaxFileBytes)
            return false;
        Value stored;
        stored.type = ZProfileValueBinary;
        const BYTE* bytes = static_cast<const BYTE*>(data);
        stored.bytes.assign(bytes, bytes + size);
        return Store(name, std::move(stored));
    }

    bool WriteString(const wchar_t* name, const wchar_t* value) override
    {
        if (!value)
            return false;
        Value stored;
        stored.type = ZProfileValueString;
        stored.text = value;
        return Store(name, std::move(stored));
    }

    bool WriteDword(const wchar_t* name, DWORD value) override
    {
        Value stored;
        stored.type = ZProfileValueDword;
        stored.number = value;
        return Store(name, std::move(stored));
    }

    IProfileKeyImpl* OpenKey(const wchar_t* name, int, int) override
    {
        std::vector<std::wstring> components;
        if (!name || !SplitPath(name, components))
            return nullptr;
        std::lock_guard guard(m_state->mutex);
        std::shared_ptr<TopKey> top = m_top;
        Node* node = m_node;
        size_t first = 0;
        if (!top) {
            top = OpenTopKey(components[0]);
            if (!top)
                return nullptr;
            node = &top->root;
            first = 1;
        }
        if (node->depth + components.size() - first > kMaxDepth)
            return nullptr;
        for (size_t i = first; i < components.size(); ++i)
            node = node->Child(components[i]);
        return new FileKey(m_state, std::move(top), node);
    }

    IProfileKeyIteratorImpl* CreateIterator(bool values) override
    {
        auto iterator = std::make_unique<FileIterator>();
        std::lock_guard guard(m_state->mutex);
        if (!m_node) {
            if (!values)
                ListTopKeys(iterator->keys);
        } else if (values) {
            for (const auto& entry : m_node->values)
                iterator->values.emplace_back(entry.first, entry.second.type);
        } else {
            for (const auto& child : m_node->children)
                iterator->keys.push_back(child->name);
        }
        return iterator.release();
    }

private:
    // Hands the value of that name and type to take under the store's lock;
    // false when there is none or take refuses it.
    template <class Take>
    bool ReadValue(const wchar_t* name, DWORD type, Take take) const
    {
        std::lock_guard guard(m_state->mutex);
        const Value* found = Find(name, type);
        return found && take(*found);
    }

    const Value* Find(const wchar_t* name, DWORD type) const
    {
        if (!m_node || !name)
            return nullptr;
        const Value* found = m_node->FindValue(name);
        return found && found->type == type ? found : nullptr;
    }

    bool Store(const wchar_t* name, Value value)
    {
        if (!name)
            return false;
        std::lock_guard guard(m_state->mutex);
        if (!m_node || m_top->readOnly)
            return false;
        ZSynchObjectLock fileGuard(m_top->fileLock.Get());
        RemoveAbandonedTemporaries(m_top->path);
        if (!Refresh(*m_top))
            return false;
        const std::wstring valueName(name);
        Value* existing = m_node->FindValue(valueName);
        if (existing && *existing == value)
            return true;

        if (existing) {
            std::swap(*existing, value);
            if (SaveTopKey(*m_state, *m_top))
                return true;
            std::swap(*existing, value);
            return false;
        }
        m_node->values.emplace_back(valueName, std::move(value));
        if (SaveTopKey(*m_state, *m_top))
            return true;
        m_node->values.pop_back();
        return false;
    }

    std::shared_ptr<TopKey> OpenTopKey(const std::wstring& name)
    {
        if (!ZFileProfileStoreFactory::IsValidTopLevelName(name.c_str()))
            return nullptr;
        auto& open = m_state->open;
        std::erase_if(open, [](const std::weak_ptr<TopKey>& entry) { return entry.expired(); });
        for (const auto& entry : open) {
            std::shared_ptr<TopKey> top = entry.lock();
            if (top && SameName(top->name, name))
                return top;
        }
        std::shared_ptr<TopKey> top = LoadTopKey(*m_state, name);
        if (top)
            open.push_back(top);
        return top;
    }

    void ListTopKeys(std::vector<std::wstring>& names) const
    {
        auto add = [&names](const std::wstring& name) {
            for (const std::wstring& known : names) {
                if (SameName(known, name))
                    return;
            }
            names.push_back(name);
        };
        WIN32_FIND_DATAW found;
        const std::wstring pattern = m_state->folder + L"\\*" + kExtension;
        HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring fileName = found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || fileName.size() <= kExtensionLength ||
                    !SameName(fileName.substr(fileName.size() - kExtensionLength), kExtension, kExtensionLength))
                    continue;
                const std::wstring name = fileName.substr(0, fileName.size() - kExtensionLength);
                if (ZFileProfileStoreFactory::IsValidTopLevelName(name.c_str()))
                    add(name);
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        for (const auto& entry : m_state->open) {
            if (std::shared_ptr<TopKey> top = entry.lock())
                add(top->name);
        }
    }

    std::shared_ptr<SharedState> m_state;
    std::shared_ptr<TopKey> m_top;  // null for the root
    Node* m_node;                   // null for the root; owned by m_top
};

class FileStore : public IProfileStoreImpl {
public:
    explicit FileStore(std::shared_ptr<SharedState> state) : m_state(std::move(state)) {}

    IProfileKeyImpl* OpenRootKey(bool) override { return new FileKey(m_state, nullptr, nullptr); }

private:
    std::shared_ptr<SharedState> m_state;
};

}  // namespace

}  // namespace HostStore

ZFileProfileStoreFactory::ZFileProfileStoreFactory(const wchar_t* folder)
    : m_state(std::make_shared<HostStore::SharedState>())
{
    std::wstring path = folder ? folder : L"";
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/') && path[path.size() - 2] != L':')
        path.pop_back();
    m_state->folder = std::move(path);
}

ZFileProfileStoreFactory::~ZFileProfileStoreFactory() = default;

IProfileStoreImpl* ZFileProfileStoreFactory::CreateStore()
{
    return new HostStore::FileStore(m_state);
}

const std::wstring& ZFileProfileStoreFactory::GetFolder() const
{
    return m_state->folder;
}

std::wstring ZFileProfileStoreFactory::GetFilePath(const wchar_t* topLevelKey) const
{
    return m_state->folder + L'\\' + (topLevelKey ? topLevelKey : L"") + HostStore::kExtension;
}

bool ZFileProfileStoreFactory::IsValidTopLevelName(const wchar_t* name)
{
    if (!name || !*name)
        return false;
    const std::wstring_view text(name);
    if (text.size() > HostStore::kMaxTopLevelName)
        return false;
    for (wchar_t c : text) {
        if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
            return false;
    }
    // Device names stay devices whatever extension follows them.
    std::wstring stem(text.substr(0, text.find(L'.')));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (wchar_t& c : stem)
        c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : devices) {
        if (stem == device)
            return false;
    }
    if (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'0' &&
        stem[3] <= L'9')
        return false;
    return true;
}

void ZFileProfileStoreFactory::SetWriteFaultHook(WriteFaultHook hook)
{
    std::lock_guard guard(m_state->mutex);
    m_state->faultHook = std::move(hook);
}
