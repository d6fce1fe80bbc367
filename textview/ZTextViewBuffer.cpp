#include "textview/ZTextViewBuffer.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "textview/ClipboardBuffer.h"
#include "textview/ZGlobalTextBlock.h"

ZTextViewBuffer::ZTextViewBuffer(unsigned long long bufferSize) : m_bufferSize(bufferSize ? bufferSize : 1)
{
    m_slots.SetSize(static_cast<size_t>(m_bufferSize));
}

const ZTextViewBuffer::LineInfo& ZTextViewBuffer::GetLineInfo(unsigned long long index) const
{
    return m_slots[static_cast<size_t>(SlotOf(index))];
}

bool ZTextViewBuffer::AppendLines(const LineInfo* lines, unsigned long long count, unsigned long long& removed)
{
    removed = 0;
    if (count == 0 || lines == nullptr)
        return false;

    const unsigned long long lineCountBefore = m_lineCount;
    const unsigned long long maxLengthBefore = m_maxLength;

    if (m_lineCount == m_bufferSize && count < m_bufferSize) {
        removed = count;
        AppendToFullRing(lines, count);
        return m_maxLength != maxLengthBefore;
    }

    if (count > m_bufferSize - m_lineCount) {
        if (count >= m_bufferSize) {
            // Only the newest bufferSize input lines can survive.
            removed = m_lineCount;
            lines += count - m_bufferSize;
            count = m_bufferSize;
        } else {
            removed = m_lineCount + count - m_bufferSize;
        }
        RemoveLines(removed);
        CalculateMaxLength();
    }

    for (unsigned long long i = 0; i < count; ++i) {
        const unsigned long long slot = SlotOf(m_lineCount);
        LineInfo& target = m_slots[static_cast<size_t>(slot)];
        // assign keeps the slot's capacity: no allocation once it is large enough.
        target.text.assign(lines[i].text.begin(), lines[i].text.end());
        target.attribute = lines[i].attribute;
        ++m_lineCount;
        if (target.text.size() >= m_maxLength) {
            m_maxLength = target.text.size();
            m_longestSlot = slot;
        }
    }
    return m_lineCount != lineCountBefore || m_maxLength != maxLengthBefore;
}

// The steady state of a busy log: each line replaces the oldest in its slot,
// in one pass. When the longest line is among those replaced, one scan at the
// end finds the new longest (the newest of equal length), as removing first and
// appending after would.
void ZTextViewBuffer::AppendToFullRing(const LineInfo* lines, unsigned long long count)
{
    LineInfo* slots = m_slots.GetData();
    bool longestReplaced = false;
    for (unsigned long long i = 0; i < count; ++i) {
        const unsigned long long slot = m_firstSlot;
        LineInfo& target = slots[slot];
        // assign keeps the slot's capacity: no allocation once it is large enough.
        target.text.assign(lines[i].text.begin(), lines[i].text.end());
        target.attribute = lines[i].attribute;
        if (slot == m_longestSlot) {
            longestReplaced = true;
            m_longestSlot = npos;
            m_maxLength = 0;
        }
        if (!longestReplaced && target.text.size() >= m_maxLength) {
            m_maxLength = target.text.size();
            m_longestSlot = slot;
        }
        if (++m_firstSlot == m_bufferSize)
            m_firstSlot = 0;
    }
    if (!longestReplaced)
        return;
    unsigned long long longest = 0;
    unsigned long long longestSlot = m_firstSlot;
    for (unsigned long long i = 0; i < m_lineCount; ++i) {
        const unsigned long long length = LengthOf(i);
        if (length >= longest) {
            longest = length;
            longestSlot = SlotOf(i);
        }
    }
    m_maxLength = longest;
    m_longestSlot = longestSlot;
}

void ZTextViewBuffer::RemoveLines(unsigned long long n)
{
    n = std::min(n, m_lineCount);
    for (unsigned long long i = 0; i < n; ++i) {
        const unsigned long long slot = SlotOf(i);
        if (slot == m_longestSlot) {
            m_maxLength = 0;
            m_longestSlot = npos;
        }
        LineInfo& line = m_slots[static_cast<size_t>(slot)];
        line.text.clear();
        line.attribute = 0;
    }
    m_firstSlot = SlotOf(n);
    m_lineCount -= n;
}

bool ZTextViewBuffer::CalculateMaxLength()
{
    if (m_longestSlot != npos)
        return false;
    unsigned long long longest = 0;
    unsigned long long longestSlot = npos;
    for (unsigned long long i = 0; i < m_lineCount; ++i) {
        const unsigned long long length = LengthOf(i);
        if (longestSlot == npos || length >= longest) {
            longest = length;
            longestSlot = SlotOf(i);
        }
    }
    // An unchanged maximum (no lines, or only empty ones) leaves the slot unset,
    // so that the next call scans again.
    if (longest == m_maxLength)
        return false;
    m_maxLength = longest;
    m_longestSlot = longestSlot;
    return true;
}

void ZTextViewBuffer::Clear()
{
    RemoveLines(m_lineCount);
}

void ZTextViewBuffer::ClearLastLine()
{
    if (m_lineCount == 0)
        return;
    LineInfo& line = m_slots[static_cast<size_t>(SlotOf(m_lineCount - 1))];
    line.text.clear();
    line.attribute = 0;
    --m_lineCount;
}

bool ZTextViewBuffer::SetBufferSize(unsigned long long size)
{
    if (size == m_bufferSize || size == 0)
        return false;
    bool removedLines = false;
    if (size < m_lineCount) {
        RemoveLines(m_lineCount - size);
        CalculateMaxLength();
        removedLines = true;
    }
    RearrangeSlots(size);
    return removedLines;
}

// Gives the ring exactly size slots while every line keeps its place in line
// order. Slots are swapped, never copied, so the texts keep their capacity.
void ZTextViewBuffer::RearrangeSlots(unsigned long long size)
{
    const unsigned long long oldSize = m_bufferSize;
    // The longest line is remembered by its line index across the move.
    unsigned long long longestLine = npos;
    if (m_longestSlot != npos) {
        const unsigned long long line = (m_longestSlot + oldSize - m_firstSlot) % oldSize;
        if (line < m_lineCount)
            longestLine = line;
    }

    LineInfo* slots = m_slots.GetData();
    if (m_firstSlot == 0) {
        m_slots.SetSize(static_cast<size_t>(size));
    } else if (m_firstSlot + m_lineCount <= oldSize) {
        for (unsigned long long i = 0; i < m_lineCount; ++i)
            std::swap(slots[i], slots[m_firstSlot + i]);
        m_firstSlot = 0;
        m_slots.SetSize(static_cast<size_t>(size));
    } else if (size > oldSize) {
        const unsigned long long added = size - oldSize;
        m_slots.SetSize(static_cast<size_t>(size));
        slots = m_slots.GetData();
        for (unsigned long long i = oldSize; i-- > m_firstSlot;)
            std::swap(slots[i + added], slots[i]);
        m_firstSlot += added;
    } else {
        // Shrinking a wrapped ring: rotate the lines down to slot 0 first.
        std::rotate(slots, slots + m_firstSlot, slots + oldSize);
        m_firstSlot = 0;
        m_slots.SetSize(static_cast<size_t>(size));
    }
    m_bufferSize = size;

    if (longestLine != npos) {
        m_longestSlot = SlotOf(longestLine);
    } else if (m_longestSlot != npos) {
        // The slot belonged to a line that ClearLastLine removed: measure again.
        m_longestSlot = npos;
        CalculateMaxLength();
    }
}

namespace {

// One piece of copied text: columns [from, to) of a line, then maybe "\r\n".
struct CopyPiece {
    const std::vector<wchar_t>* text;
    unsigned long long from;
    unsigned long long to;
    bool lineBreak;
};

}  // namespace

bool ZTextViewBuffer::CopyTextToBuffer(void*& handle, unsigned long long& count) const
{
    return CopyTextToBuffer(handle, count, npos, npos, npos, npos, false);
}

bool ZTextViewBuffer::CopyTextToBuffer(void*& handle, unsigned long long& count, unsigned long long startLine,
                                       unsigned long long startColumn, unsigned long long endLine,
                                       unsigned long long endColumn, bool rectangular) const
{
    handle = nullptr;
    count = 0;
    if (m_lineCount == 0)
        return false;
    if (startLine == npos)
        startLine = 0;
    if (endLine == npos || endLine >= m_lineCount)
        endLine = m_lineCount - 1;
    if (startLine > endLine)
        return false;

    // A rectangle takes the same columns from every row, clipped to each row's
    // own length, so a short row is shortened rather than read or written past.
    unsigned long long left = startColumn == npos ? 0 : startColumn;
    unsigned long long right = endColumn;
    if (rectangular && right < left)
        std::swap(left, right);

    // The whole copy is described once and walked twice: to size the block and to fill it.
    auto forEachPiece = [&](auto&& take) {
        for (unsigned long long line = startLine; line <= endLine; ++line) {
            const std::vector<wchar_t>& text = GetLineInfo(line).text;
            const unsigned long long length = text.size();
            if (rectangular) {
                take(CopyPiece{&text, std::min(left, length), std::max(std::min(left, length), std::min(right, length)),
                               startLine != endLine});
                continue;
            }
            unsigned long long from = 0;
            unsigned long long to = length;
            if (line == startLine && startColumn != npos && startColumn <= length)
                from = startColumn;
            if (line == endLine && endColumn != npos && endColumn < length)
                to = endColumn;
            if (to < from)
                to = from;
            if (startLine == endLine)
                take(CopyPiece{&text, from, to, false});
            else if (line == startLine)
                take(CopyPiece{&text, from, to, from < to});  // an empty remainder adds no line break
            else
                take(CopyPiece{&text, from, to, true});
        }
    };

    unsigned long long characters = 1;  // the terminator
    forEachPiece([&](const CopyPiece& piece) { characters += (piece.to - piece.from) + (piece.lineBreak ? 2 : 0); });

    ZGlobalTextBlock block(static_cast<size_t>(characters));
    ZGlobalTextBlock::Lock lock(block);
    wchar_t* out = lock.Text();
    if (!out)
        return false;
    wchar_t* const end = out + characters - 1;
    forEachPiece([&](const CopyPiece& piece) {
        const unsigned long long n = std::min<unsigned long long>(piece.to - piece.from, end - out);
        if (n)
            std::memcpy(out, piece.text->data() + piece.from, n * sizeof(wchar_t));
        out += n;
        if (piece.lineBreak && end - out >= 2) {
            *out++ = L'\r';
            *out++ = L'\n';
        }
    });
    *out = L'\0';

    handle = block.Release();  // the caller owns it; the lock unlocks it on the way out
    count = characters;
    return true;
}

void ZTextViewBuffer::CopyTextToClipboard() const
{
    CopyTextToClipboard(npos, npos, npos, npos, false);
}

void ZTextViewBuffer::CopyTextToClipboard(unsigned long long startLine, unsigned long long startColumn,
                                          unsigned long long endLine, unsigned long long endColumn, bool rectangular) const
{
    void* handle = nullptr;
    unsigned long long count = 0;
    if (CopyTextToBuffer(handle, count, startLine, startColumn, endLine, endColumn, rectangular))
        ZCopyBufferToClipboard(handle);
}
