// Export and import of the toolkit stand-in's classes.
#pragma once

#ifdef TESSARO_TOOLKIT_BUILDING
#define TESSARO_TOOLKIT_API __declspec(dllexport)
#else
#define TESSARO_TOOLKIT_API __declspec(dllimport)
#endif
