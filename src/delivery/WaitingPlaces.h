// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::delivery {

/**
 * Where this account's records wait for the data store, in the user's own folder ("<own>": on
 * Linux $XDG_STATE_HOME/Ovix_Shift-Loom, on Windows %LOCALAPPDATA%\Ovix\Shift-Loom), private to
 * the account: the offline buffer, a folder of one file per record, and the intent journal of the
 * deliveries from it.
 */
inline constexpr std::string_view kBufferFolder = "<own>\\buffer";
inline constexpr std::string_view kJournal = "<own>\\journal";

/**
 * Left by earlier versions, handed over (in their own journal's care) before the account's own
 * records, whenever this account can read and remove them, and never in their way otherwise: the
 * single-file buffer c:\data (on Windows, where several accounts may share the root of C:, it may
 * be another account's; on Linux in the folder that stood for c:\, "<earlier>"), its journal, and
 * the spool file.
 */
#ifdef _WIN32
inline constexpr std::string_view kEarlierBuffer = "c:\\data";
inline constexpr std::string_view kEarlierJournal = "c:\\data.journal";
#else
inline constexpr std::string_view kEarlierBuffer = "<earlier>\\data";
inline constexpr std::string_view kEarlierJournal = "<earlier>\\data.journal";
#endif
inline constexpr std::string_view kEarlierSpool = "<own>\\spool";

/**
 * The offline buffer: one file per record, named by the moment it was made, so that the names'
 * order is the records' order. A record is put in a hidden file first, forced to the disk, given
 * its name in one step and its folder forced to the disk: a file of the buffer is always whole,
 * and no lock is needed, so a record never waits for another panel of the same worker.
 */
class RecordBuffer final
{
public:
    RecordBuffer(platform::FileOps& files, std::uint64_t nonce);

    /** Puts `lines` (whole lines with CR LF) into a new file of the buffer. */
    platform::FileError put(std::string_view lines);
    /** The buffer's files as path texts, oldest first; empty when there are none (or no folder). */
    platform::FileError waiting(std::vector<std::string>& paths);

private:
    std::string nextName();

    platform::FileOps& m_files;
    std::uint64_t m_nonce;
    std::mutex m_mutex;
    std::uint64_t m_lastStamp = 0;
    bool m_ready = false;
};

} // namespace shiftloom::delivery
