// The shared engine of the fuzz programs: one program per parser, each a Target
// handed to RunFuzzer from its wmain.
//
// A run feeds the target inputs derived from its seed corpus (a folder of files
// the program itself wrote with --write-corpus): even-numbered inputs walk the
// deterministic variants of each corpus entry (every bit flip, boundary byte
// value and, for small entries, every truncation), odd-numbered ones stack one to
// four random changes (bit flips, byte inserts and deletes, splices with another
// entry, length fields set to boundaries, truncations) drawn from a generator
// seeded by the run's seed and the input's number, so any input can be made again.
// Every input is copied so that its last byte sits just before a no-access page.
//
// The target returns its outcome as a short text ("accepted", "refused 1113");
// the run counts each distinct one. A crash (an unhandled exception, an abort or
// an unexpected C++ exception) or an input running longer than the time limit is
// written, with its seed and mutation, to the findings folder and ends the
// program with a non-zero code; --replay FILE feeds one such file again.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/GuardedBuffer.h"

namespace Fuzz {

using Bytes = std::vector<unsigned char>;

struct Target {
    const char* name;
    // Feeds one input to the parser; `bytes` ends at a no-access page.
    std::function<std::string(const unsigned char* bytes, size_t size)> run;
    // The valid inputs the corpus starts from, written by the library.
    std::function<std::vector<Bytes>()> seeds;
    size_t maxInputSize = 16 * 1024;
    unsigned timeLimitMs = 10000;
    // Called once before the first input (COM, windows, scratch files), with
    // the corpus (empty when writing it).
    std::function<void(const std::vector<Bytes>& corpus)> setUp = nullptr;
};

// Reads the options from the command line: --corpus DIR --findings DIR
// [--inputs N] [--seconds S] [--seed K] [--report FILE], or --write-corpus DIR,
// or --replay FILE. Returns the exit code: 0, or 1 for bad options or a leak,
// 2 for a crash, 3 for a hang.
int RunFuzzer(const Target& target);

// All of a file (up to 64 MiB) into `bytes`; false when it cannot be read whole.
bool ReadFileBytes(const std::wstring& path, Bytes& bytes);

// Where inputs are placed: a slot whose end touches a no-access page, made once
// and reused, since a fresh guarded region per input costs more than most parses.
class GuardedSlot {
public:
    explicit GuardedSlot(size_t capacity);
    // Copies size (at most the capacity) bytes so that the last one ends at the
    // guard page; returns where they start.
    unsigned char* Place(const void* data, size_t size);
    size_t Capacity() const { return m_region.Size(); }

private:
    TestSupport::GuardedBuffer m_region;
};

// The text placed so that its terminator is the last unit before a no-access
// page; valid until the next call.
const wchar_t* PlaceText(const std::wstring& text);

// The bytes read as UTF-16 units (an odd last byte is dropped), for text parsers.
std::wstring AsUnits(const unsigned char* bytes, size_t size);

Bytes ToBytes(const std::string& text);
Bytes ToBytes(const std::wstring& units);  // UTF-16 little-endian, no mark

}  // namespace Fuzz
