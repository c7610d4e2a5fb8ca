// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "app/StorePaths.h"
#include "platform/Cp1252.h"
#include "platform/HostFiles.h"
#include "platform/WindowsPath.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace shiftloom::tool {
namespace {

/**
 * Card-Warden's INI file. The panel reads only the line after the one that begins with
 * "[cardmain", taken whole as the folder of the data store; the lines before it are Card-Warden's.
 * The folder is written in the panel's 8-bit text (Windows-1252), which it maps back to the UTF-8
 * host path.
 */
std::string cardWardenIni(const std::string& folder)
{
    return "; Card-Warden workstation settings\r\n"
           "[cardwarden]\r\n"
           "version=5\r\n"
           "[cardmain]\r\n"
        + folder + "\r\n";
}

} // namespace

int runRegister(const RegisterOptions& options, std::ostream& out, std::ostream& err)
{
    const std::string folder = absoluteFolder(options.folder);
    requireFolder(folder);
    std::error_code error;
    // The panel reads the path as Windows text: a backslash would become a separator, and a line
    // break would end the line early.
    if (folder.find_first_of(platform::kWindowsHost ? "\r\n" : "\\\r\n") != std::string::npos)
        throw ToolError(folder + ": a backslash or line break in the path cannot be registered");
    requirePanelText(folder);
    if (!std::filesystem::exists(folder + "/" + std::string(kStoreMarkerName), error))
        err << "shift-loom-store: " << folder << ": no " << kStoreMarkerName
            << " here; the panel's locate dialog would not take it for a data store\n";

    // This account's registration, or the machine's: its first folder, the one the panel reads
    // after the account's. On Windows there is one, the Windows directory's, for every account.
    const std::vector<std::string> places = platform::registrationFiles(kCardWardenIniName);
    const platform::HostFiles host;
    const std::string iniPath = host.paths().toHost(places[options.forEveryAccount ? places.size() > 1 : 0]);
    if (iniPath.empty())
        throw ToolError("this account has no home folder to keep its registration in; try --system");
    std::filesystem::create_directories(std::filesystem::path(iniPath).parent_path(), error);
    if (error)
        throw ToolError(iniPath + ": cannot make its folder (" + error.message() + ")");
    writeHostFileAtomically(iniPath, cardWardenIni(platform::utf8ToCp1252(folder)));
    out << "wrote " << iniPath << '\n';
    return 0;
}

} // namespace shiftloom::tool
