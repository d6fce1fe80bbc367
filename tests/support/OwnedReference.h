// Adopting the reference a factory or `new` hands over, so that a test cannot leak
// it on an early return.
#pragma once

#include "foundation/ZUnknown.h"

namespace TestSupport {

template <class T>
ZUnknownPointer<T> Own(T* object)
{
    return ZAdoptReference(object);
}

}  // namespace TestSupport
