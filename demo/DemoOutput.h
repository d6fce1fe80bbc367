// Output of the demo host: wide text written to standard output as UTF-8, so
// that accented texts survive a pipe. "\r\n" in a text counts as one line end.
#pragma once

void DemoPrint(const wchar_t* text);
void DemoPrintf(const wchar_t* format, ...);
