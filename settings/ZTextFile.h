// ZTextFile: reads a text file line by line in the encoding its byte-order
// mark names (none: the system code page), and writes the mark first when it
// creates or empties a file. CR, LF and CR LF each end a line, also when they
// fall into different buffer fills; the last line needs no terminator.
//
// ReadLine returns false at the end of the file (GetLastError 38), after an
// illegal UTF-8 sequence (1113; the rest of the file is not read) and for an
// encoding it has no decoder for (unknown, UTF-32).
#pragma once

#include "settings/ZFile.h"

class TESSARO_API ZTextFile : public ZFile {
public:
    enum Encoding : int32_t {
        EncodingUnknown = 0,
        EncodingAnsi = 1,
        EncodingUtf8 = 2,
        EncodingUtf16LE = 3,
        EncodingUtf16BE = 4,
        EncodingUtf32LE = 5,
    };

    static constexpr int kRawBufferSize = 4096;

    ZTextFile();
    ~ZTextFile() override;

    // Existing files (OPEN_EXISTING, or OPEN_ALWAYS finding one) are read from
    // their first line, the mark skipped. Created or emptied files get the mark
    // of the chosen encoding (UTF-16 little-endian unless one was chosen).
    // GetLastError afterwards is the open's, so 183 tells an existing file.
    using ZFile::Open;
    bool Open(const wchar_t* path, DWORD access, DWORD disposition) override;
    // Starts reading afresh at the new position; the encoding is kept.
    bool Seek(int64_t offset, DWORD method) override;
    // Empties the file and writes the mark again.
    bool Truncate() override;

    bool ReadLine(ZUnicodeString& line);

    Encoding GetEncoding() const { return m_encoding; }
    // Chooses the encoding of a file about to be created (reading recognises
    // it from the mark).
    void SetEncoding(Encoding encoding) { m_encoding = encoding; }
    // Locks each region exclusively while it is read or written, so that
    // cooperating processes never see half-written data.
    void SetLockRegions(bool lock) { m_lockRegions = lock; }
    bool GetLockRegions() const { return m_lockRegions; }

private:
    enum class FillResult { Filled, EndOfFile, Failed };

    void ClearReaderState();
    bool WriteByteOrderMark();
    FillResult FillBuffer();
    bool ReadRegion(int64_t offset, void* buffer, DWORD count, DWORD& read);
    void RecogniseByteOrderMark();
    // Moves the unconsumed raw bytes into the decoded text as far as they
    // form whole characters; returns 0 or the UTF-8 decoder's error code.
    DWORD Decode();
    // Takes characters up to the next line end into line; true when a line end was found.
    bool ScanDecoded(ZUnicodeString& line);
    bool ScanRawUtf16LE(ZUnicodeString& line);
    int UnconsumedBytes() const { return m_bytesInBuffer - m_bufferPosition; }

    unsigned char m_raw[kRawBufferSize];
    Encoding m_encoding;
    bool m_lockRegions;
    int64_t m_bufferOrigin;
    int32_t m_bytesInBuffer;
    int32_t m_bufferPosition;
    bool m_carriageReturnPending;
    bool m_textTaken;
    ZUnicodeString m_decoded;
    int32_t m_decodedPosition;
};
