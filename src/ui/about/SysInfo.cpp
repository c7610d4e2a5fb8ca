// SPDX-License-Identifier: MIT
#include "SysInfo.h"

#include <array>
#include <exception>

namespace shiftloom {
namespace {

constexpr std::size_t kValueBufferSize = 1024;

bool startProgram(const SysInfoServices& services)
{
    std::string path;
    if (GetKeyValue(services.registry, platform::kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, path))
        return services.launcher.start(path, {});

    if (GetKeyValue(services.registry, platform::kHKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue, path)) {
        path += kSysInfoProgramName;
        if (services.launcher.fileExists(path))
            return services.launcher.start(path, {});
    }

    for (const std::string_view name : services.fallbackPrograms) {
        const std::string found = services.launcher.findOnPath(name);
        if (!found.empty())
            return services.launcher.start(found, {});
    }
    return false;
}

} // namespace

std::span<const std::string_view> defaultSystemInformationPrograms()
{
#if defined(_WIN32)
    return {};
#else
    static constexpr std::array<std::string_view, 4> kPrograms{
        "hardinfo",
        "kinfocenter",
        "gnome-system-monitor",
        "xfce4-taskmanager",
    };
    return kPrograms;
#endif
}

bool GetKeyValue(platform::Registry& registry,
    std::uint32_t KeyRoot,
    std::string_view KeyName,
    std::string_view SubKeyRef,
    std::string& KeyVal)
{
    platform::RegistryKey key = 0;
    if (registry.openKey(KeyRoot, KeyName, platform::kKeyAllAccess, key) != platform::kRegSuccess) {
        KeyVal.clear(); // no key was opened, so there is none to close
        return false;
    }

    std::array<char, kValueBufferSize> buffer{};
    std::uint32_t type = 0;
    auto size = static_cast<std::uint32_t>(buffer.size());
    if (registry.queryValue(key, SubKeyRef, type, buffer, size) != platform::kRegSuccess || size > buffer.size()) {
        KeyVal.clear();
        registry.closeKey(key);
        return false;
    }

    // A value stored with its terminator reports it in its size; an empty value has no last byte.
    std::size_t n = size;
    if (n > 0 && buffer[n - 1] == '\0')
        --n;
    const std::string_view data(buffer.data(), n);

    if (type == platform::kRegSz) {
        KeyVal = std::string(data);
    } else if (type == platform::kRegDword) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < data.size() && i < 4; ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
        KeyVal = std::to_string(number);
    }
    registry.closeKey(key);
    return true;
}

bool StartSysInfo(const SysInfoServices& services, std::string_view appTitle)
{
    bool started = false;
    try {
        started = startProgram(services);
    } catch (const std::exception&) {
        started = false;
    }
    if (!started)
        services.messageBox.show(kSysInfoUnavailable, appTitle);
    return started;
}

} // namespace shiftloom
