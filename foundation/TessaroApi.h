// Export and import of the library's classes and functions.
#pragma once

#ifdef TESSARO_BUILDING
#define TESSARO_API __declspec(dllexport)
#else
#define TESSARO_API __declspec(dllimport)
#endif
