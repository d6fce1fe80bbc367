// TemporaryKeyContainers (internal): the containers in which new certificates'
// keys are made. Each name carries its maker's process id, start time and
// computer, so that a container whose maker died before deleting it can be
// told from one in use and removed.
#pragma once

#include <string>

#include "foundation/ZUnicodeString.h"

namespace Tessaro {

extern const wchar_t kCertificateContainerProvider[];

// "ZrnTmpKeyContainer-<pid>-<start time, 16 hex digits>-<computer>-{GUID}";
// the bare prefix when no GUID can be made.
ZUnicodeString NewCertificateContainerName();
// The name is one a certificate creation makes, by this version or an older one.
bool IsNewCertificateContainer(const std::wstring& name);
// Deletes the containers whose names say their maker has ended (or its id now
// belongs to a later process) on this computer. Names without a maker, and
// those made on another computer, are left alone.
void RemoveAbandonedCertificateContainers();

}  // namespace Tessaro
