// Output of the demo host: wide text written to standard output as UTF-8, so
// that accented texts survive a pipe. "\r\n" in a text counts as one line end.
#pragma once

#include <string>

void DemoPrint(const wchar_t* text);
void DemoPrintf(const wchar_t* format, ...);

// The demo's output folder: TESSARO_DEMO_OUTPUT (a Unix path when the demo
// runs under Wine, reached through drive Z:) or the temp folder. Ends with a
// backslash.
std::wstring DemoOutputFolder();

// The folder the settings sections write to: "settings" below the output
// folder. Ends without a backslash.
std::wstring DemoSettingsFolder();
