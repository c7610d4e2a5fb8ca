// SPDX-License-Identifier: MIT
#pragma once

#include "app/StorePaths.h"
#include "platform/HostFiles.h"
#include "tool/DataFileDecoder.h"

#include <cstdint>
#include <functional>
#include <limits>

#include <optional>
#include <string>
#include <string_view>

namespace shiftloom::tool {

/**
 * The FOLDER argument of a command as an absolute host path without a trailing separator. An
 * absolute host path has no drive letter, so the path mapper takes it as it stands.
 */
std::string absoluteFolder(std::string_view argument);

/**
 * Throws ToolError when the host path `folder` names nothing, or a file: the message tells which,
 * since a data file given instead of its folder is an easy slip.
 */
void requireFolder(const std::string& folder);

/**
 * Read access to an existing data store through the same file operations and Windows path texts
 * as the panel: the folder text, a backslash and the file name. Nothing here creates or changes
 * a file.
 */
class StoreReader final
{
public:
    /**
     * Throws ToolError when `folderArgument` does not name a folder, or names one that is no data
     * store (it holds no cardward.ini): reading a mistyped folder as an empty store would report
     * a failure as success.
     */
    explicit StoreReader(std::string_view folderArgument);
    StoreReader(const StoreReader&) = delete;
    StoreReader& operator=(const StoreReader&) = delete;

    /** The folder text, an absolute host path. */
    const std::string& folder() const { return m_folder; }
    /**
     * The path text of a store file as the panel forms it ("/srv/cw" and "\dep.dat"), in the
     * panel's 8-bit text (the path mapper turns it back into the UTF-8 host name).
     */
    std::string storePath(std::string_view name) const;
    /** The host path of a store file, for messages. */
    std::string hostPath(std::string_view name) const;
    platform::FileOps& files() { return m_host.files(); }

    /**
     * The bytes of the data file, read under a shared lock so that a record being appended is not
     * read half-way (when the lock stays taken for a moment, the file is read without it). No
     * value when the store has no data file yet; throws ToolError when it cannot be read.
     */
    std::optional<std::string> readDataFile();

    /**
     * Reads the data file piece by piece and hands each piece to `visit`: whole lines with their
     * line ends, and at the end (`final`) what follows the last line end, which may be empty.
     * Each piece is read under a shared lock (taken as readDataFile takes it), so that the panel's
     * appends wait at most for one piece. Reads at most `limit` bytes: a second reading passes what
     * the first one returned, so that both see the same lines while records are appended. Returns
     * the bytes read; no value when the store has no data file yet. Throws ToolError when it cannot
     * be read, or when it holds fewer than `limit` bytes (it was replaced meanwhile).
     */
    std::optional<std::uint64_t> scanDataPieces(const std::function<void(std::string_view, bool final)>& visit,
        std::uint64_t limit = std::numeric_limits<std::uint64_t>::max());

    /** The same, each line decoded and handed to `visit`, numbered and split as decodeDataFile does. */
    std::optional<std::uint64_t> scanDataFile(const std::function<void(const DataLine&)>& visit,
        std::uint64_t limit = std::numeric_limits<std::uint64_t>::max());

private:
    std::string m_folder;
    platform::HostFiles m_host;
};

/** Throws ToolError when the UTF-8 host path `folder` has a character outside Windows-1252. */
void requirePanelText(const std::string& folder);

/** The bytes of a host file; throws ToolError naming the file when it cannot be read. */
std::string readHostFile(const std::string& path);

/**
 * Writes a host file in one step: the bytes go to a temporary file beside it, which then takes
 * its place, so that a reader sees the old file or the new one, never a part. Throws ToolError.
 */
void writeHostFileAtomically(const std::string& path, std::string_view bytes);

} // namespace shiftloom::tool
