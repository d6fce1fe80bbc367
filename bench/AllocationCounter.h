// Counts heap allocations made by the library and by the C++ runtime while a
// counter lives: the C runtime's malloc, calloc and realloc are replaced in the
// import tables of Tessaro87U.dll and libstdc++-6.dll (which serves every
// operator new), and put back when the counter dies. For benchmarks only.
#pragma once

#include <cstdint>

namespace Bench {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // False when no import could be replaced: Count() then means nothing.
    bool Installed() const { return m_installed; }
    uint64_t Count() const;

private:
    bool m_installed = false;
};

}  // namespace Bench
