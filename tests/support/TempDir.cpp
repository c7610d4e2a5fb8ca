// SPDX-License-Identifier: MIT
#include "TempDir.h"

#include "HostFileOps.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace shiftloom::test {

TempDir::TempDir()
{
    // A new folder of a random name ($TMPDIR, /tmp or the Windows temporary folder).
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !error; ++attempt) {
        const std::filesystem::path folder = base / ("shiftloom-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder, error)) {
            m_path = folder.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Make read-only folders that a test left behind writable again, so they can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored))
            std::filesystem::permissions(
                it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::file(std::string_view name) const
{
    return m_path + "/" + std::string(name);
}

void writeFile(const std::string& path, std::string_view bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string mapperHome(const std::string& home)
{
#ifdef _WIN32
    const std::string root = home + "\\drive_c";
    std::filesystem::create_directories(root);
    return root;
#else
    return home;
#endif
}

bool fileExists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

} // namespace shiftloom::test
