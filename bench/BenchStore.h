// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace shiftloom::bench {

/**
 * A folder for one benchmark, made under the benchmark work folder (SHIFTLOOM_BENCH_DIR, or the
 * folder chosen at build time, which lies on the build folder's file system, so that appends and
 * their flush to disk hit the disk the product is built on) and removed at the end.
 */
class BenchDir final
{
public:
    BenchDir();
    ~BenchDir();
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

/** The work folder the benchmark folders are made in. */
std::string benchWorkFolder();

/**
 * The bytes of a `dep.dat` with `jobs` job records, all of them listed except every 50th (flagged
 * in character 119): varied names and details, so that sorting the list does real work.
 */
std::string jobFileBytes(int jobs);

/** Writes `bytes` to `path`, replacing the file. */
void writeBytes(const std::string& path, std::string_view bytes);

/** The file system type of `path` ("ext4", "tmpfs", ...), for the report's context. */
std::string fileSystemType(const std::string& path);

} // namespace shiftloom::bench
