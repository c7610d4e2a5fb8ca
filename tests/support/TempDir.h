// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace shiftloom::test {

/** A fresh folder under the system's temporary folder, removed with everything in it at the end. */
class TempDir final
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    /** path() + "/" + name */
    std::string file(std::string_view name) const;

private:
    std::string m_path;
};

/** Writes `bytes` to `path`, replacing the file; creates missing folders. */
void writeFile(const std::string& path, std::string_view bytes);
/** The bytes of `path`, or empty text when it cannot be read. */
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

} // namespace shiftloom::test
