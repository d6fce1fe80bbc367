// Build switches shared by every header of the framework stand-in.
#pragma once

#ifndef UNICODE
#error The framework stand-in is built for Unicode only.
#endif

#include <windows.h>

#ifdef TESSARO_MFC_BUILDING
#define TESSARO_MFC_API __declspec(dllexport)
#else
#define TESSARO_MFC_API __declspec(dllimport)
#endif

#ifndef AFXAPI
#define AFXAPI __stdcall
#endif
