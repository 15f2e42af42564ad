#pragma once
// The MS-DOS date and attributes applied to an open file by its descriptor,
// so that nothing is ever set through a name that may have become a link.
#include <cstdint>

#include "platform/FileMetadata.h"

namespace vz::platform::linuxfs {

bool SetDateOfDescriptor(int fd, DosDateTime value);
bool SetDosAttributesOfDescriptor(int fd, std::uint32_t attributes);

}  // namespace vz::platform::linuxfs
