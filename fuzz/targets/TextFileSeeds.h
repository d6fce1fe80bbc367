// Seeds for the file readers: a text as the library writes it in each encoding,
// the byte-order mark from ZTextFile itself, and as plain bytes without a mark;
// and the one way both readers open an input.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "fuzz/targets/ScratchFile.h"
#include "settings/ZTextFile.h"
#include "tests/support/TextEncodings.h"

inline std::vector<Fuzz::Bytes> TextFileSeeds(const std::wstring& text)
{
    std::vector<Fuzz::Bytes> seeds;
    const ScratchFile scratch(L"seed.txt");
    const std::pair<ZTextFile::Encoding, std::string> forms[] = {
        {ZTextFile::EncodingUtf8, TestSupport::Utf8Of(text)},
        {ZTextFile::EncodingUtf16LE, TestSupport::Utf16BytesOf(text, false)},
        {ZTextFile::EncodingUtf16BE, TestSupport::Utf16BytesOf(text, true)},
    };
    for (const auto& [encoding, body] : forms) {
        ::DeleteFileW(scratch.Path().c_str());
        {
            ZTextFile file;
            file.SetEncoding(encoding);
            DWORD written = 0;
            if (!file.Open(scratch.Path().c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS) ||
                !file.Write(body.data(), static_cast<DWORD>(body.size()), written))
                continue;
        }
        Fuzz::Bytes bytes;
        if (Fuzz::ReadFileBytes(scratch.Path(), bytes))
            seeds.push_back(bytes);
    }
    std::string ansi;
    for (wchar_t c : text)
        ansi += c < 0x80 ? static_cast<char>(c) : '?';
    seeds.push_back(Fuzz::ToBytes(ansi));
    return seeds;
}

// Puts the input in the scratch file and opens it as the readers do; false (with
// the platform's error) when the open fails.
inline bool OpenInput(ScratchFile& scratch, const unsigned char* bytes, size_t size, ZTextFile& file)
{
    if (!scratch.Rewrite(bytes, size))
        throw std::runtime_error("cannot write the scratch file");
    file.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    return file.Open(scratch.Path().c_str(), GENERIC_READ, OPEN_EXISTING);
}
