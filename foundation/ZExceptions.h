// Exceptions of the library. They carry no text of their own and stay inside the
// library except where an interface says otherwise.
#pragma once

#include <exception>

#include "foundation/TessaroApi.h"

// The platform has no such message or no message table (317, 1813).
class TESSARO_API MessageNotFound : public std::exception {
public:
    const char* what() const noexcept override { return "MessageNotFound"; }
};

// The platform rejected a formatting request (87).
class TESSARO_API InvalidParameter : public std::exception {
public:
    const char* what() const noexcept override { return "InvalidParameter"; }
};

// Malformed UTF-8, a value above U+10FFFF, or an unpaired high surrogate.
class TESSARO_API IllegalSequence : public std::exception {
public:
    const char* what() const noexcept override { return "IllegalSequence"; }
};
