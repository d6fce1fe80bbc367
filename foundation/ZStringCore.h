// The copy-on-write machinery shared by ZUnicodeString (UTF-16) and ZString
// (ANSI code page). Derived is the concrete string class, so that members
// return it rather than this base.
//
// Sensitivity belongs to the variable: once a string is sensitive, every block
// it holds is a sensitive one, also after assignment from a plain string. A
// string made from a sensitive one (a concatenation with any sensitive
// operand, a substring, a conversion) is sensitive too.
// Positions past the end throw std::out_of_range("ZString").
#pragma once

#include <algorithm>
#include <compare>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/ZStringBlock.h"

template <class CharT, class Derived>
class ZStringCore {
    using Header = Tessaro::StringBlock::Header;

public:
    using value_type = CharT;
    static constexpr size_t npos = static_cast<size_t>(-1);

    ZStringCore() noexcept : m_psz(CharsOf(Tessaro::StringBlock::Empty(Str::NotSensitive))) {}
    explicit ZStringCore(Str::SensitiveState state) noexcept : m_psz(CharsOf(Tessaro::StringBlock::Empty(state))) {}
    ZStringCore(const CharT* text) : ZStringCore() { Assign(text, Measure(text)); }
    ZStringCore(const CharT* text, size_t length) : ZStringCore() { Assign(text, length); }
    ZStringCore(const CharT* text, Str::SensitiveState state) : ZStringCore(state) { Assign(text, Measure(text)); }
    ZStringCore(std::basic_string_view<CharT> text) : ZStringCore() { Assign(text.data(), text.size()); }
    ZStringCore(const std::basic_string<CharT>& text) : ZStringCore() { Assign(text.data(), text.size()); }
    ZStringCore(const ZStringCore& other) noexcept : m_psz(other.m_psz) { Tessaro::StringBlock::AddRef(Block()); }
    ZStringCore(ZStringCore&& other) noexcept : m_psz(other.m_psz)
    {
        other.m_psz = CharsOf(Tessaro::StringBlock::Empty(other.GetSensitiveState()));
    }
    ~ZStringCore() { Tessaro::StringBlock::Release(Block()); }

    Derived& operator=(const ZStringCore& other)
    {
        if (this != &other) {
            if (IsSensitive() && !other.IsSensitive()) {
                Assign(other.m_psz, other.length());
            } else {
                Tessaro::StringBlock::AddRef(other.Block());
                Tessaro::StringBlock::Release(Block());
                m_psz = other.m_psz;
            }
        }
        return Self();
    }
    Derived& operator=(ZStringCore&& other)
    {
        if (this != &other) {
            if (IsSensitive() && !other.IsSensitive()) {
                Assign(other.m_psz, other.length());
            } else {
                Tessaro::StringBlock::Release(Block());
                m_psz = other.m_psz;
                other.m_psz = CharsOf(Tessaro::StringBlock::Empty(other.GetSensitiveState()));
            }
        }
        return Self();
    }
    Derived& operator=(const CharT* text)
    {
        Assign(text, Measure(text));
        return Self();
    }
    Derived& operator=(const std::basic_string<CharT>& text)
    {
        Assign(text.data(), text.size());
        return Self();
    }

    const CharT* c_str() const noexcept { return m_psz; }
    const CharT* data() const noexcept { return m_psz; }
    size_t length() const noexcept { return static_cast<size_t>(Block()->lengthBytes / sizeof(CharT)); }
    size_t size() const noexcept { return length(); }
    bool empty() const noexcept { return Block()->lengthBytes == 0; }
    // Characters that fit without reallocating, terminator excluded.
    size_t capacity() const noexcept { return static_cast<size_t>(Block()->capacityBytes / sizeof(CharT)) - 1; }
    std::basic_string_view<CharT> view() const noexcept { return {m_psz, length()}; }
    std::basic_string<CharT> str() const { return std::basic_string<CharT>(m_psz, length()); }

    CharT operator[](size_t index) const noexcept { return m_psz[index]; }
    CharT at(size_t index) const
    {
        if (index >= length())
            ThrowOutOfRange();
        return m_psz[index];
    }

    Str::SensitiveState GetSensitiveState() const noexcept
    {
        return static_cast<Str::SensitiveState>(Block()->sensitive);
    }
    bool IsSensitive() const noexcept { return Block()->sensitive == Str::Sensitive; }
    // Moves the text into a block of the given state; from now on the variable keeps it.
    void SetSensitive(Str::SensitiveState state)
    {
        if (state != GetSensitiveState())
            Reallocate(length(), length(), state);
    }
    // Shares no block with any other string afterwards.
    bool IsShared() const noexcept { return !Tessaro::StringBlock::IsEmptyBlock(Block()) && Block()->refCount > 1; }

    void clear()
    {
        Tessaro::StringBlock::Header* empty = Tessaro::StringBlock::Empty(GetSensitiveState());
        Tessaro::StringBlock::Release(Block());
        m_psz = CharsOf(empty);
    }

    void reserve(size_t characters)
    {
        if (characters > capacity() || IsShared())
            Reallocate(std::max(characters, length()), length(), GetSensitiveState());
    }

    void resize(size_t characters, CharT fill = CharT())
    {
        const size_t old = length();
        if (characters > old) {
            CharT* out = MakeWritable(characters);
            std::fill(out + old, out + characters, fill);
        } else {
            MakeWritable(characters);
        }
        SetLength(characters);
    }

    Derived& append(const CharT* text, size_t count)
    {
        if (count == 0)
            return Self();
        const size_t old = length();
        if (count > MaxLength() - old)
            throw std::length_error("ZString");
        if (text >= m_psz && text < m_psz + old) {
            // Appending part of ourselves: the block may move.
            const Derived copy = CopyOf(text, count);
            return append(copy.data(), count);
        }
        CharT* out = MakeWritable(old + count);
        std::memcpy(out + old, text, count * sizeof(CharT));
        SetLength(old + count);
        return Self();
    }
    Derived& append(const CharT* text) { return append(text, Measure(text)); }
    Derived& append(const ZStringCore& text) { return append(text.m_psz, text.length()); }
    Derived& push_back(CharT c) { return append(&c, 1); }
    Derived& operator+=(const ZStringCore& text) { return append(text); }
    Derived& operator+=(const CharT* text) { return append(text); }
    Derived& operator+=(CharT c) { return append(&c, 1); }

    Derived& insert(size_t position, const CharT* text, size_t count)
    {
        const size_t old = length();
        if (position > old)
            ThrowOutOfRange();
        if (count == 0)
            return Self();
        if (count > MaxLength() - old)
            throw std::length_error("ZString");
        const Derived copy = CopyOf(text, count);  // text may point into this string
        CharT* out = MakeWritable(old + count);
        std::memmove(out + position + count, out + position, (old - position) * sizeof(CharT));
        std::memcpy(out + position, copy.data(), count * sizeof(CharT));
        SetLength(old + count);
        return Self();
    }
    Derived& insert(size_t position, const CharT* text) { return insert(position, text, Measure(text)); }
    Derived& insert(size_t position, const ZStringCore& text) { return insert(position, text.m_psz, text.length()); }

    Derived& erase(size_t position, size_t count = npos)
    {
        const size_t old = length();
        if (position > old)
            ThrowOutOfRange();
        count = std::min(count, old - position);
        if (count == 0)
            return Self();
        CharT* out = MakeWritable(old);
        std::memmove(out + position, out + position + count, (old - position - count) * sizeof(CharT));
        SetLength(old - count);
        return Self();
    }

    size_t find(CharT c, size_t from = 0) const
    {
        CheckPosition(from);
        for (size_t i = from, n = length(); i < n; ++i)
            if (m_psz[i] == c)
                return i;
        return npos;
    }
    size_t find(std::basic_string_view<CharT> text, size_t from = 0) const
    {
        CheckPosition(from);
        return view().find(text, from);
    }
    size_t find(const CharT* text, size_t from = 0) const { return find(std::basic_string_view<CharT>(text), from); }
    size_t rfind(CharT c, size_t from = npos) const { return view().rfind(c, from); }

    Derived substr(size_t position, size_t count = npos) const
    {
        CheckPosition(position);
        Derived part(GetSensitiveState());
        part.append(m_psz + position, std::min(count, length() - position));
        return part;
    }

    int compare(std::basic_string_view<CharT> other) const noexcept { return view().compare(other); }

    friend bool operator==(const ZStringCore& a, const ZStringCore& b) noexcept
    {
        return a.m_psz == b.m_psz || a.view() == b.view();
    }
    friend bool operator==(const ZStringCore& a, const CharT* b) noexcept
    {
        return a.view() == std::basic_string_view<CharT>(b ? b : EmptyText());
    }
    friend std::strong_ordering operator<=>(const ZStringCore& a, const ZStringCore& b) noexcept
    {
        return a.view() <=> b.view();
    }

    friend Derived operator+(const ZStringCore& a, const ZStringCore& b)
    {
        Derived result(a.IsSensitive() || b.IsSensitive() ? Str::Sensitive : Str::NotSensitive);
        result.reserve(a.length() + b.length());
        result.append(a);
        result.append(b);
        return result;
    }
    friend Derived operator+(const ZStringCore& a, const CharT* b)
    {
        Derived result(a.GetSensitiveState());
        result.append(a);
        result.append(b);
        return result;
    }

    // Direct writing: room for at least minLength characters plus a terminator,
    // in a block no other string shares. ReleaseBuffer sets the length (npos:
    // up to the first null character).
    CharT* GetBuffer(size_t minLength)
    {
        return MakeWritable(std::max(minLength, length()));
    }
    void ReleaseBuffer(size_t newLength = npos)
    {
        if (Tessaro::StringBlock::IsEmptyBlock(Block()))
            return;
        const size_t limit = capacity();
        if (newLength == npos) {
            newLength = 0;
            while (newLength < limit && m_psz[newLength] != 0)
                ++newLength;
        }
        SetLength(std::min(newLength, limit));
    }

protected:
    static size_t Measure(const CharT* text) noexcept
    {
        return text ? std::char_traits<CharT>::length(text) : 0;
    }

    void Assign(const CharT* text, size_t count)
    {
        if (count == 0) {
            clear();
            return;
        }
        if (text >= m_psz && text < m_psz + length()) {
            const Derived copy = CopyOf(text, count);
            return Assign(copy.data(), count);
        }
        if (count > MaxLength())
            throw std::length_error("ZString");
        if (IsShared() || Tessaro::StringBlock::IsEmptyBlock(Block()) || count > capacity()) {
            Header* block = Tessaro::StringBlock::Allocate((count + 1) * sizeof(CharT), GetSensitiveState());
            Tessaro::StringBlock::Release(Block());
            m_psz = CharsOf(block);
        }
        std::memcpy(m_psz, text, count * sizeof(CharT));
        SetLength(count);
    }

private:
    static const CharT* EmptyText() noexcept
    {
        static const CharT nothing[1] = {};
        return nothing;
    }
    static CharT* CharsOf(Header* block) noexcept { return static_cast<CharT*>(block->chars); }
    static size_t MaxLength() noexcept { return (SIZE_MAX / sizeof(CharT)) / 2; }
    [[noreturn]] static void ThrowOutOfRange() { throw std::out_of_range("ZString"); }
    void CheckPosition(size_t position) const
    {
        if (position > length())
            ThrowOutOfRange();
    }

    Header* Block() const noexcept { return reinterpret_cast<Header*>(m_psz) - 1; }

    // A copy of our own text that is wiped as this string's would be.
    Derived CopyOf(const CharT* text, size_t count) const
    {
        Derived copy(GetSensitiveState());
        copy.append(text, count);
        return copy;
    }
    Derived& Self() noexcept { return static_cast<Derived&>(*this); }

    void SetLength(size_t characters) noexcept
    {
        Block()->lengthBytes = characters * sizeof(CharT);
        m_psz[characters] = 0;
    }

    // A block of our own with room for `characters`, text kept.
    CharT* MakeWritable(size_t characters)
    {
        if (IsShared() || Tessaro::StringBlock::IsEmptyBlock(Block()) || characters > capacity()) {
            size_t room = characters;
            if (characters > capacity() && !Tessaro::StringBlock::IsEmptyBlock(Block()))
                room = std::max(characters, capacity() + capacity() / 2);  // amortised appends
            Reallocate(room, length(), GetSensitiveState());
        }
        return m_psz;
    }

    void Reallocate(size_t room, size_t keep, Str::SensitiveState state)
    {
        if (room > MaxLength())
            throw std::length_error("ZString");
        keep = std::min(keep, room);  // shrinking a shared string keeps only what fits
        Header* block = Tessaro::StringBlock::Allocate((room + 1) * sizeof(CharT), state);
        auto* chars = CharsOf(block);
        std::memcpy(chars, m_psz, keep * sizeof(CharT));
        chars[keep] = 0;
        block->lengthBytes = keep * sizeof(CharT);
        Tessaro::StringBlock::Release(Block());
        m_psz = chars;
    }

    CharT* m_psz;
};
