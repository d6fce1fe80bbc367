// IBuffer: a reference-counted block of bytes with a capacity and a data length,
// the unit in which sockets read and write and packets chain their bytes.
#pragma once

#include <cstddef>

#include "foundation/ZUnknown.h"

class IBuffer : public IUnknown {
public:
    virtual const unsigned char* GetData() const = 0;
    virtual unsigned char* GetData() = 0;
    virtual size_t GetCapacity() const = 0;
    virtual size_t GetDataLength() const = 0;
    // Throws std::overflow_error("SetDataLength") beyond the capacity.
    virtual void SetDataLength(size_t length) = 0;
    // Appends `length` bytes (none copied when `data` is null: the caller fills the
    // returned space) and returns where they went. When the storage has to grow it
    // grows to exactly length + `length` + `reserve`, so a caller that knows more is
    // coming passes it as the reserve.
    virtual void* Append(const void* data, size_t length, size_t reserve) = 0;
};
