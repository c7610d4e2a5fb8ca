// SPDX-License-Identifier: MIT
#include "WindowsPath.h"

#include "platform/Cp1252.h"

#include <algorithm>

namespace shiftloom::platform {
namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// `rest`, a text of the program, joined to `out` as a host path: its characters in UTF-8, each "\"
// a "/", and no separator doubled.
std::string joined(std::string out, std::string_view rest)
{
    for (const char c : cp1252ToUtf8(rest)) {
        const char mapped = c == '\\' ? '/' : c;
        if (mapped != '/' || out.empty() || out.back() != '/')
            out.push_back(mapped);
    }
    return out;
}

} // namespace

std::string_view namedPlace(std::string_view path, std::string_view& rest)
{
    const std::size_t close = path.starts_with('<') ? path.find('>') : std::string_view::npos;
    if (close == std::string_view::npos)
        return {};
    std::string_view after = path.substr(close + 1);
    if (!after.empty() && !isSeparator(after.front()))
        return {};
    while (!after.empty() && isSeparator(after.front()))
        after.remove_prefix(1);
    rest = after;
    return path.substr(0, close + 1);
}

bool inOwnFolder(std::string_view path, std::string_view& rest)
{
    std::string_view after;
    if (namedPlace(path, after) != kOwnFolder)
        return false;
    rest = after;
    return true;
}

std::string configPlace(std::size_t index)
{
    return index == 0 ? std::string(kConfigFolder) : "<config" + std::to_string(index) + ">";
}

Win32PathMapper::Win32PathMapper(std::string rootOfC, std::string ownFolder)
    : m_rootOfC(std::move(rootOfC))
    , m_ownFolder(std::move(ownFolder))
{
}

std::string Win32PathMapper::toHost(std::string_view windowsPath) const
{
    // The program's texts are Windows-1252; host paths are UTF-8 (Win32FileOps makes them UTF-16).
    // The folders that stand for "<own>" and "c:\" come from the system as UTF-8 and stay so.
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (std::string_view rest; inOwnFolder(windowsPath, rest)) {
        if (m_ownFolder.empty())
            return {};
        std::string out = m_ownFolder;
        if (!rest.empty() && (out.empty() || !separator(out.back())))
            out.push_back('\\');
        for (const char c : cp1252ToUtf8(rest)) {
            if (!separator(c) || !separator(out.back()))
                out.push_back(separator(c) ? '\\' : c);
        }
        return out;
    }
    const bool onC =
        windowsPath.size() >= 2 && (windowsPath[0] == 'c' || windowsPath[0] == 'C') && windowsPath[1] == ':';
    if (m_rootOfC.empty() || !onC)
        return cp1252ToUtf8(windowsPath);
    std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && !separator(rest.front()))
        return cp1252ToUtf8(windowsPath); // "c:name" is relative to the current folder of C:
    while (!rest.empty() && separator(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return m_rootOfC;
    if (std::find_if(rest.begin(), rest.end(), separator) != rest.end())
        return cp1252ToUtf8(windowsPath); // a file in a folder of C: is not moved
    return m_rootOfC + "\\" + cp1252ToUtf8(rest);
}

PosixPathMapper::PosixPathMapper(PosixPlaces places)
    : m_places(std::move(places))
{
}

std::string PosixPathMapper::toHost(std::string_view windowsPath) const
{
    std::string_view rest;
    const std::string_view place = namedPlace(windowsPath, rest);
    if (place.empty())
        return joined({}, windowsPath);
    std::string folder;
    if (place == kOwnFolder)
        folder = m_places.own;
    else if (place == kLocalFolder)
        folder = m_places.local;
    else if (place == kEarlierFolder)
        folder = m_places.earlier;
    for (std::size_t i = 0; i < m_places.config.size(); ++i) {
        if (place == configPlace(i))
            folder = m_places.config[i];
    }
    // A place this account has no folder for (no home, fewer configuration folders) holds nothing
    // that can be opened.
    if (folder.empty())
        return {};
    return rest.empty() ? folder : joined(folder + "/", rest);
}

} // namespace shiftloom::platform
