#include "fuzz/FuzzHarness.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

#include "fuzz/FuzzMutator.h"

namespace Fuzz {

namespace {

// What the crash filter and the watchdog need, kept outside the heap's reach:
// they write the input that was running when the process is past saving.
struct Running {
    const unsigned char* input = nullptr;
    size_t size = 0;
    char description[256] = {};
    uint32_t seed = 0;
    uint64_t index = 0;
    wchar_t findings[MAX_PATH] = {};
    char target[64] = {};
    volatile LONG64 startedAt = 0;  // GetTickCount64 when the input began; 0 between inputs
    unsigned timeLimitMs = 0;
    volatile LONG finding = 0;      // set by the first writer, so only one writes
};
Running g_running;

// Writes <findings>\<kind>-<seed>-<index>.bin and .txt; safe to call from a
// failing process (no allocation).
void WriteFinding(const char* kind, DWORD code)
{
    if (::InterlockedExchange(&g_running.finding, 1) != 0)
        return;
    ::CreateDirectoryW(g_running.findings, nullptr);
    wchar_t path[MAX_PATH + 64];
    const int length = _snwprintf(path, MAX_PATH + 48, L"%ls\\%hs-%08x-%llu", g_running.findings, kind,
                                  static_cast<unsigned>(g_running.seed),
                                  static_cast<unsigned long long>(g_running.index));
    if (length < 0)
        return;
    DWORD written = 0;
    std::wcscpy(path + length, L".bin");
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::WriteFile(file, g_running.input, static_cast<DWORD>(g_running.size), &written, nullptr);
        ::CloseHandle(file);
    }
    char text[512];
    const int textLength =
        std::snprintf(text, sizeof text, "target %s\r\n%s (code %08lX)\r\nseed %08X input %llu\r\nmutation %s\r\n",
                      g_running.target, kind, static_cast<unsigned long>(code), static_cast<unsigned>(g_running.seed),
                      static_cast<unsigned long long>(g_running.index), g_running.description);
    std::wcscpy(path + length, L".txt");
    file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::WriteFile(file, text, textLength > 0 ? static_cast<DWORD>(textLength) : 0, &written, nullptr);
        ::CloseHandle(file);
    }
    path[length] = L'\0';
    std::fprintf(stderr, "%s: %s at input %llu (%s); written to %ls.bin\n", g_running.target, kind,
                 static_cast<unsigned long long>(g_running.index), g_running.description, path);
    std::fflush(stderr);
}

[[noreturn]] void Fail(const char* kind, DWORD code, UINT exitCode)
{
    WriteFinding(kind, code);
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    for (;;) ::Sleep(INFINITE);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers)
{
    Fail("crash", pointers->ExceptionRecord->ExceptionCode, 2);
}

void OnAbort(int) { Fail("crash", 0xAB0A7, 2); }

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        ::Sleep(100);
        const LONG64 started = g_running.startedAt;
        if (started != 0 && ::GetTickCount64() - static_cast<ULONGLONG>(started) > g_running.timeLimitMs)
            Fail("hang", g_running.timeLimitMs, 3);
    }
}

void InstallCrashCapture()
{
    ::SetUnhandledExceptionFilter(CrashFilter);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    std::signal(SIGABRT, OnAbort);
    std::set_terminate([] { Fail("crash", 0x7E7, 2); });
    HANDLE thread = ::CreateThread(nullptr, 64 * 1024, Watchdog, nullptr, 0, nullptr);
    if (thread)
        ::CloseHandle(thread);
}

struct Options {
    std::wstring corpus, findings, report, writeCorpus, replay;
    uint64_t inputs = 100000;
    double seconds = 0;  // 0: no limit
    uint32_t seed = 1;
};

bool ParseOptions(Options& options)
{
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args)
        return false;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        const std::wstring name = args[i];
        if (i + 1 >= count) {
            ok = false;
            break;
        }
        const std::wstring value = args[++i];
        if (name == L"--corpus") options.corpus = value;
        else if (name == L"--findings") options.findings = value;
        else if (name == L"--report") options.report = value;
        else if (name == L"--write-corpus") options.writeCorpus = value;
        else if (name == L"--replay") options.replay = value;
        else if (name == L"--inputs") options.inputs = std::wcstoull(value.c_str(), nullptr, 10);
        else if (name == L"--seconds") options.seconds = std::wcstod(value.c_str(), nullptr);
        else if (name == L"--seed") options.seed = static_cast<uint32_t>(std::wcstoul(value.c_str(), nullptr, 0));
        else ok = false;
    }
    ::LocalFree(args);
    return ok;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    ::CloseHandle(file);
    return ok;
}

std::vector<Bytes> ReadCorpus(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    std::sort(names.begin(), names.end());
    std::vector<Bytes> corpus;
    for (const auto& name : names) {
        Bytes bytes;
        if (ReadFileBytes(folder + L"\\" + name, bytes))
            corpus.push_back(std::move(bytes));
    }
    return corpus;
}

// The private bytes the process has committed, now and at its peak.
struct Memory {
    size_t now = 0, peak = 0;
};
Memory ReadMemory()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters))
        return {};
    return {counters.PrivateUsage, counters.PeakPagefileUsage};
}

std::unique_ptr<GuardedSlot> g_textSlot;

std::string OutcomeOf(const Target& target, const unsigned char* bytes, size_t size)
{
    try {
        return target.run(bytes, size);
    } catch (const std::exception& e) {
        std::snprintf(g_running.description + std::strlen(g_running.description),
                      sizeof g_running.description - std::strlen(g_running.description), " [%s]", e.what());
        Fail("exception", 0xE06D7363, 2);
    } catch (...) {
        Fail("exception", 0xE06D7363, 2);
    }
}

int Replay(const Target& target, const Options& options)
{
    Bytes bytes;
    if (!ReadFileBytes(options.replay, bytes)) {
        std::fprintf(stderr, "cannot read %ls\n", options.replay.c_str());
        return 1;
    }
    GuardedSlot slot(std::max(bytes.size(), target.maxInputSize));
    g_running.input = slot.Place(bytes.data(), bytes.size());
    g_running.size = bytes.size();
    std::snprintf(g_running.description, sizeof g_running.description, "replay");
    g_running.startedAt = static_cast<LONG64>(::GetTickCount64());
    const std::string outcome = OutcomeOf(target, g_running.input, bytes.size());
    g_running.startedAt = 0;
    std::printf("%s: %s\n", target.name, outcome.c_str());
    return 0;
}

std::string FormatOutcomes(const std::map<std::string, uint64_t>& outcomes)
{
    std::string text;
    for (const auto& [name, count] : outcomes) {
        if (!text.empty())
            text += ", ";
        text += name + " " + std::to_string(count);
    }
    return text;
}

}  // namespace

bool ReadFileBytes(const std::wstring& path, Bytes& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart < (1 << 26);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() || (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                               read == bytes.size());
    }
    ::CloseHandle(file);
    return ok;
}

std::wstring AsUnits(const unsigned char* bytes, size_t size)
{
    std::wstring text(size / 2, L'\0');
    if (!text.empty())
        std::memcpy(text.data(), bytes, text.size() * sizeof(wchar_t));
    return text;
}

const wchar_t* PlaceText(const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (!g_textSlot || g_textSlot->Capacity() < bytes) {
        g_textSlot = std::make_unique<GuardedSlot>(std::max<size_t>(bytes, 64 * 1024));
    }
    return reinterpret_cast<const wchar_t*>(g_textSlot->Place(text.c_str(), bytes));
}

GuardedSlot::GuardedSlot(size_t capacity) : m_region(capacity) {}

unsigned char* GuardedSlot::Place(const void* data, size_t size)
{
    unsigned char* at = m_region.Data() + m_region.Size() - size;
    if (size)
        std::memcpy(at, data, size);
    return at;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes ToBytes(const std::wstring& units)
{
    Bytes bytes(units.size() * 2);
    if (!bytes.empty())
        std::memcpy(bytes.data(), units.data(), bytes.size());
    return bytes;
}

int RunFuzzer(const Target& target)
{
    Options options;
    if (!ParseOptions(options)) {
        std::fprintf(stderr,
                     "usage: %s --corpus DIR --findings DIR [--inputs N] [--seconds S] [--seed K] [--report FILE]\n"
                     "       %s --write-corpus DIR | --replay FILE\n",
                     target.name, target.name);
        return 1;
    }
    std::snprintf(g_running.target, sizeof g_running.target, "%s", target.name);
    g_running.timeLimitMs = target.timeLimitMs;
    g_running.seed = options.seed;
    if (!options.findings.empty())
        std::wcsncpy(g_running.findings, options.findings.c_str(), MAX_PATH - 1);
    else
        std::wcscpy(g_running.findings, L".");

    if (!options.writeCorpus.empty()) {
        ::CreateDirectoryW(options.writeCorpus.c_str(), nullptr);
        if (target.setUp)
            target.setUp({});
        const std::vector<Bytes> seeds = target.seeds();
        for (size_t i = 0; i < seeds.size(); ++i) {
            wchar_t name[32];
            _snwprintf(name, 32, L"\\%02zu.bin", i);
            if (!WriteFileBytes(options.writeCorpus + name, seeds[i])) {
                std::fprintf(stderr, "cannot write the corpus\n");
                return 1;
            }
        }
        std::printf("%s: %zu corpus entries written\n", target.name, seeds.size());
        return 0;
    }

    InstallCrashCapture();
    std::vector<Bytes> corpus = ReadCorpus(options.corpus);
    try {
        if (target.setUp)
            target.setUp(corpus);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: cannot start: %s (error %lu)\n", target.name, e.what(), ::GetLastError());
        return 1;
    }
    if (!options.replay.empty())
        return Replay(target, options);
    if (corpus.empty()) {
        std::fprintf(stderr, "%s: no corpus in %ls\n", target.name, options.corpus.c_str());
        return 1;
    }
    Mutator mutator(corpus, target.maxInputSize, options.seed);
    GuardedSlot slot(target.maxInputSize);
    std::map<std::string, uint64_t> outcomes;
    Bytes input;
    std::string description;

    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    Memory warm{};
    uint64_t done = 0;
    double nextProgress = 60;
    const uint64_t warmUp = std::max<uint64_t>(1, options.inputs / 10);
    for (; done < options.inputs; ++done) {
        if ((done & 63) == 0) {
            ::QueryPerformanceCounter(&now);
            const double elapsed = double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
            if (options.seconds > 0 && elapsed >= options.seconds)
                break;
            // A line a minute, so that a long run shows how far it got.
            if (elapsed >= nextProgress) {
                std::fprintf(stderr, "%s: %llu inputs after %.0f s\n", target.name,
                             static_cast<unsigned long long>(done), elapsed);
                nextProgress += 60;
            }
        }
        mutator.Make(done, input, description);
        g_running.index = done;
        std::snprintf(g_running.description, sizeof g_running.description, "%s", description.c_str());
        g_running.input = slot.Place(input.data(), input.size());
        g_running.size = input.size();
        g_running.startedAt = static_cast<LONG64>(::GetTickCount64());
        const std::string outcome = OutcomeOf(target, g_running.input, input.size());
        g_running.startedAt = 0;
        if (++outcomes[outcome] == 1)
            mutator.Keep(input);  // a new outcome: worth mutating further
        if (done + 1 == warmUp)
            warm = ReadMemory();
    }
    ::QueryPerformanceCounter(&now);
    const double seconds = double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    const Memory end = ReadMemory();
    const double growthMiB = warm.now && end.now > warm.now ? double(end.now - warm.now) / 1048576.0 : 0.0;
    const double rate = seconds > 0 ? double(done) / seconds : 0.0;
    char row[2048];
    std::snprintf(row, sizeof row, "| %s | %llu | %.0f | %s | 0 | 0 | %.1f MiB | %.1f MiB |", target.name,
                  static_cast<unsigned long long>(done), rate, FormatOutcomes(outcomes).c_str(),
                  double(end.peak) / 1048576.0, growthMiB);
    std::printf("%s\n", row);
    if (!options.report.empty()) {
        if (FILE* report = _wfopen(options.report.c_str(), L"ab")) {
            std::fprintf(report, "%s\n", row);
            std::fclose(report);
        }
    }
    // Memory that keeps growing after the warm-up is a leak, not a cache.
    constexpr double kLeakMiB = 64.0;
    if (growthMiB > kLeakMiB) {
        std::fprintf(stderr, "%s: private memory grew %.1f MiB after the warm-up\n", target.name, growthMiB);
        return 1;
    }
    return 0;
}

}  // namespace Fuzz
