// SPDX-License-Identifier: MIT
#include "platform/Drives.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace shiftloom::platform {
namespace {

// Kernel and runtime file systems that hold no data store.
constexpr std::array<std::string_view, 22> kPseudoFileSystems = {"proc",
    "sysfs",
    "devtmpfs",
    "devpts",
    "cgroup",
    "cgroup2",
    "securityfs",
    "pstore",
    "bpf",
    "tracefs",
    "debugfs",
    "mqueue",
    "hugetlbfs",
    "configfs",
    "fusectl",
    "autofs",
    "binfmt_misc",
    "rpc_pipefs",
    "nsfs",
    "efivarfs",
    "ramfs",
    "squashfs"};

// The mount table writes blanks and other special characters as octal escapes ("\040").
std::string unescapeMountPoint(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            const int value = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
            out.push_back(static_cast<char>(value));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool under(std::string_view path, std::string_view folder)
{
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path.substr(0, folder.size()) == folder && (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace

PosixDriveList::PosixDriveList(std::string mounts)
    : m_mounts(std::move(mounts))
{
}

std::vector<std::string> PosixDriveList::mountPoints() const
{
    std::vector<std::string> points;
    std::ifstream table(m_mounts);
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string point;
        std::string type;
        if (!(fields >> device >> point >> type))
            continue;
        if (std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), type) != kPseudoFileSystems.end())
            continue;
        point = unescapeMountPoint(point);
        // A file mounted on its own (a container's /etc/hosts) holds no store either.
        std::error_code error;
        if (under(point, "/proc") || under(point, "/sys") || under(point, "/dev") || under(point, "/run")
            || !std::filesystem::is_directory(point, error))
            continue;
        if (std::find(points.begin(), points.end(), point) == points.end())
            points.push_back(point);
    }
    if (std::find(points.begin(), points.end(), "/") == points.end())
        points.insert(points.begin(), "/");
    std::sort(points.begin(), points.end());
    return points;
}

std::vector<std::string> PosixDriveList::drives()
{
    return mountPoints();
}

std::string PosixDriveList::currentFolder(std::string_view drive)
{
    return std::string(drive);
}

std::string PosixDriveList::processCurrentFolder()
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string("/") : current.string();
}

std::string PosixDriveList::driveOf(std::string_view folder)
{
    std::string best = "/";
    for (const std::string& point : mountPoints()) {
        if (under(folder, point) && point.size() > best.size())
            best = point;
    }
    return best;
}

} // namespace shiftloom::platform
