// SPDX-License-Identifier: MIT
#include "platform/HostFiles.h"
#include "platform/win32/Win32FileOps.h"

namespace shiftloom::platform {

HostFiles::HostFiles()
    : m_paths(std::make_unique<Win32PathMapper>(localRootFolder(), ownStateFolder()))
    , m_files(std::make_unique<Win32FileOps>(*m_paths))
{
}

HostFiles::~HostFiles() = default;

} // namespace shiftloom::platform
