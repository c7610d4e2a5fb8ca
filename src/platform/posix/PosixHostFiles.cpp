// SPDX-License-Identifier: MIT
#include "platform/HostFiles.h"
#include "platform/posix/PosixFileOps.h"

namespace shiftloom::platform {

HostFiles::HostFiles()
    : m_paths(std::make_unique<PosixPathMapper>(posixPlaces()))
    , m_files(std::make_unique<PosixFileOps>(*m_paths))
{
}

HostFiles::~HostFiles() = default;

} // namespace shiftloom::platform
