#include "tests/textview/TextViewTestLines.h"

#include <windows.h>

#include <cwchar>

#include <gtest/gtest.h>

namespace TextViewTest {

ZTextViewBuffer::LineInfo Line(const std::wstring& text, unsigned long long attribute)
{
    ZTextViewBuffer::LineInfo line;
    line.text.assign(text.begin(), text.end());
    line.attribute = attribute;
    return line;
}

std::vector<ZTextViewBuffer::LineInfo> Lines(const std::vector<std::wstring>& texts)
{
    std::vector<ZTextViewBuffer::LineInfo> lines;
    for (const std::wstring& text : texts)
        lines.push_back(Line(text));
    return lines;
}

void Append(ZTextViewBuffer& buffer, const std::vector<std::wstring>& texts)
{
    const std::vector<ZTextViewBuffer::LineInfo> lines = Lines(texts);
    unsigned long long removed = 0;
    buffer.AppendLines(lines.data(), lines.size(), removed);
}

std::vector<std::wstring> Texts(const ZTextViewBuffer& buffer)
{
    std::vector<std::wstring> texts;
    for (unsigned long long i = 0; i < buffer.GetLineCount(); ++i) {
        const std::vector<wchar_t>& text = buffer.GetLineInfo(i).text;
        texts.emplace_back(text.begin(), text.end());
    }
    return texts;
}

std::wstring TakeBlockText(void* handle, unsigned long long count)
{
    HGLOBAL block = static_cast<HGLOBAL>(handle);
    EXPECT_GE(::GlobalSize(block), count * sizeof(wchar_t));
    const auto* text = static_cast<const wchar_t*>(::GlobalLock(block));
    std::wstring result;
    if (text) {
        result.assign(text, wcsnlen(text, ::GlobalSize(block) / sizeof(wchar_t)));
        ::GlobalUnlock(block);
    }
    EXPECT_EQ(result.size() + 1, count);
    ::GlobalFree(block);
    return result;
}

}  // namespace TextViewTest
