// Small helpers shared by the text view tests: lines from strings, and the
// text of a global memory block.
#pragma once

#include <string>
#include <vector>

#include "textview/ZTextViewBuffer.h"

namespace TextViewTest {

ZTextViewBuffer::LineInfo Line(const std::wstring& text, unsigned long long attribute = 0);
std::vector<ZTextViewBuffer::LineInfo> Lines(const std::vector<std::wstring>& texts);
void Append(ZTextViewBuffer& buffer, const std::vector<std::wstring>& texts);
std::vector<std::wstring> Texts(const ZTextViewBuffer& buffer);

// The text of a block made by CopyTextToBuffer; frees the block. Also checks
// that the block is large enough for count characters and that the text fills
// exactly count - 1 of them.
std::wstring TakeBlockText(void* handle, unsigned long long count);

}  // namespace TextViewTest
