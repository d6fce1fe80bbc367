// Messages that the certificate code reports from the host's own message table
// (facility 0x104): the library's table does not hold them, so report
// formatting finds them in the host executable.
#pragma once

#include <cstdint>

// The certificate was loaded; insert: the path.
constexpr uint32_t MSG_HOST_CERTIFICATE_LOADED = 0x61040050;
// The certificate was loaded with its companion file; inserts: the path, the companion's path.
constexpr uint32_t MSG_HOST_CERTIFICATE_LOADED_WITH_COMPANION = 0x6104008E;
// The PFX file is larger than 0xFFFFFFFF bytes.
constexpr uint32_t MSG_HOST_CERTIFICATE_TOO_LARGE = 0xE104004E;
// A load failed; inserts: the path, the cause's text.
constexpr uint32_t MSG_HOST_CERTIFICATE_LOAD_FAILED = 0xE104004F;
// A certificate path failed validation.
constexpr uint32_t MSG_HOST_CERTIFICATE_PATH_INVALID = 0xE1040074;
