// Winsock must be started before the resolver functions answer; the library starts
// it once, on first use, and leaves it running for the life of the process.
#pragma once

namespace Tessaro {

bool EnsureWinsockStarted();

}  // namespace Tessaro
