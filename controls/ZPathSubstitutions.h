// Path substitutions: the text of a path field may hold environment variables
// and codes for the date and time (UTC), the session and the host, replaced
// when the path is used. Window-free; the clock is a parameter so callers and
// tests choose the moment.
//
//   %Y year  %y year mod 100  %M month  %D day  %h hour  %m minute  %s second
//   %t milliseconds  %F nothing  %S session  %H host (":", "\\" and "/" as "_",
//   a host of dots only as "_" each)  %% one "%"
//
// A trailing "%" records 0xE1040066, any other code 0xE1040065 with the
// offending text as insert; both give an empty result. The report is touched
// only on these errors.
#pragma once

#include <windows.h>

#include "foundation/IReportMessageParams.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

namespace Tessaro {

constexpr uint32_t MSG_HOST_PATH_UNKNOWN_CODE = 0xE1040065;
constexpr uint32_t MSG_HOST_PATH_TRAILING_PERCENT = 0xE1040066;

// host and session may be null: %H and %S then count as unknown codes.
TESSARO_API ZUnicodeString ExpandPathSubstitutions(const wchar_t* text, IReportMessageParams& report,
                                                   const wchar_t* host, const wchar_t* session,
                                                   const SYSTEMTIME& now);
// At the current time (GetSystemTime).
TESSARO_API ZUnicodeString ExpandPathSubstitutions(const wchar_t* text, IReportMessageParams& report,
                                                   const wchar_t* host, const wchar_t* session);

// True when pattern, expanded now, names path (ignoring case).
TESSARO_API bool MatchesExpandedPath(const wchar_t* pattern, const wchar_t* path, const wchar_t* host,
                                     const wchar_t* session);

// Environment variables only; a result longer than the first buffer is
// fetched again with the size the platform asks for.
TESSARO_API ZUnicodeString ExpandEnvironmentVariables(const wchar_t* text);

// The path itself when it exists (file or folder), else the nearest existing
// folder above it; empty when none. "C:" is taken as "C:\".
TESSARO_API ZUnicodeString FindExistingFolder(const wchar_t* path);

}  // namespace Tessaro
