// Starting programs, documents and addresses through the shell, the update
// utility, and the message with which that utility asks running hosts to close.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/TessaroApi.h"

// False for a null or empty file (the shell is not asked) and when the shell
// reports failure. The third argument is kept for hosts and not used.
TESSARO_API bool LaunchApp(const wchar_t* file, const wchar_t* parameters, UINT unused);

// A shell that cannot open the address only beeps.
TESSARO_API void OpenURLWithoutConfig(const wchar_t* url);

// True when the utility was already running or has been started; when it
// cannot be started the user is told and the result is false. Null arguments
// count as empty.
TESSARO_API bool StartZorvaneUpdate(const char* a1, const wchar_t* a2, const wchar_t* a3, const wchar_t* a4);

// The same id in every process that loads the library, so the utility can broadcast it.
TESSARO_API UINT GetZorvaneUpdateCloseMessage();

namespace Tessaro {

// The mutex the update utility holds while it runs.
inline constexpr wchar_t kZorvaneUpdateMutexName[] = L"{6F1D2C4A-8B3E-4F57-9A0C-2E7D5B1C8F43}";

// The host executable's folder, without a final backslash.
TESSARO_API std::wstring GetHostExecutableFolder();

// "\"<folder>\\ZorvaneUpdate.exe\"!a1!a3!a2!<folder>!a4": "!" is the utility's only separator.
TESSARO_API std::wstring ZorvaneUpdateCommandLine(const std::wstring& folder, const wchar_t* a1, const wchar_t* a2,
                                                  const wchar_t* a3, const wchar_t* a4);

// Called once by the load notification.
void RegisterZorvaneUpdateCloseMessage();

}  // namespace Tessaro
