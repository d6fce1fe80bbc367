// ZTextViewBuffer: the lines a text view shows, as a bounded ring.
//
// Appending to a full ring drops the oldest lines and reports how many went, so
// that the view can move its selection and scroll position with the text. The
// buffer tracks the length of its longest line for the horizontal scroll range
// and copies any range, as a stream or as a rectangle of columns, into a block
// of global memory ready for the clipboard. It knows nothing of windows.
#pragma once

#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"

class TESSARO_API ZTextViewBuffer {
public:
    // All bits set: "no position" in the slot bookkeeping, and "first" or "last"
    // line or column in the copy operations.
    static constexpr unsigned long long npos = ~0ULL;

    struct LineInfo {
        std::vector<wchar_t> text;         // no terminator; length = code units
        unsigned long long attribute = 0;  // the caller's, handed back when the line is drawn
    };

    // bufferSize is the most lines held; 0 is taken as 1.
    explicit ZTextViewBuffer(unsigned long long bufferSize);

    // Appends copies of count lines, oldest first. removed receives the number of
    // old lines pushed out; the result tells whether the line count or the
    // maximum length changed.
    bool AppendLines(const LineInfo* lines, unsigned long long count, unsigned long long& removed);
    void Clear();
    // Removes the newest line; does nothing on an empty buffer. The maximum
    // length is deliberately left as it was.
    void ClearLastLine();

    unsigned long long GetLineCount() const { return m_lineCount; }
    unsigned long long GetMaxLineLength() const { return m_maxLength; }
    unsigned long long GetBufferSize() const { return m_bufferSize; }
    // index must be below GetLineCount(); it is not checked against it.
    const LineInfo& GetLineInfo(unsigned long long index) const;

    // Changes the number of slots, keeping the newest lines in order. Returns
    // true when lines had to be removed. A size of 0 is refused (false, nothing changes).
    bool SetBufferSize(unsigned long long size);

    // Copies text into a new GlobalAlloc block of UTF-16 characters; count
    // receives its size in characters, terminator included. Positions are
    // 0-based, the end column exclusive; npos means the first or last line or
    // column. Returns false on an empty buffer, a start line after the end line,
    // or when the block cannot be made.
    bool CopyTextToBuffer(void*& handle, unsigned long long& count) const;
    bool CopyTextToBuffer(void*& handle, unsigned long long& count, unsigned long long startLine,
                          unsigned long long startColumn, unsigned long long endLine,
                          unsigned long long endColumn, bool rectangular) const;

    // As CopyTextToBuffer, then hands the block to the clipboard.
    void CopyTextToClipboard() const;
    void CopyTextToClipboard(unsigned long long startLine, unsigned long long startColumn,
                             unsigned long long endLine, unsigned long long endColumn, bool rectangular) const;

private:
    // (first slot + line) mod buffer size; a valid line needs at most one
    // subtraction, which keeps the division off the append path.
    unsigned long long SlotOf(unsigned long long line) const
    {
        const unsigned long long slot = m_firstSlot + line;
        if (slot < m_bufferSize)
            return slot;
        return slot - m_bufferSize < m_bufferSize ? slot - m_bufferSize : slot % m_bufferSize;
    }
    unsigned long long LengthOf(unsigned long long line) const { return GetLineInfo(line).text.size(); }
    void AppendToFullRing(const LineInfo* lines, unsigned long long count);
    void RemoveLines(unsigned long long n);
    bool CalculateMaxLength();
    void RearrangeSlots(unsigned long long size);

    unsigned long long m_bufferSize;
    unsigned long long m_longestSlot = npos;
    unsigned long long m_maxLength = 0;
    unsigned long long m_lineCount = 0;
    // Always exactly m_bufferSize elements. Line i lives in slot
    // (m_firstSlot + i) mod m_bufferSize; a slot without a line has empty text
    // but keeps its capacity, so a full ring appends without allocating.
    ZArray<LineInfo> m_slots;
    unsigned long long m_firstSlot = 0;
};
