// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::delivery {

/** The line end of every record in the store. */
inline constexpr std::string_view kLineEnd = "\r\n";

/** FNV-1a over `bytes`, continued from `hash`. */
inline constexpr std::uint64_t kHashBasis = 14695981039346656037ull;
std::uint64_t hashOn(std::uint64_t hash, std::string_view bytes);

/** The lines of a source's bytes as they go to the store: each ended by CR LF. */
std::string storeLines(std::string_view bytes);

/**
 * One entry of the intent journal, written and forced to the disk before a batch of records is
 * written to a file, so that the next delivery can tell how the write came out.
 *
 * Kinds: 'S' a batch of a buffer of an earlier version being written to the store, named by its
 * extent in that file; 'W' records of a writer being written to a file, carried in the entry;
 * 'F' the records of files of the offline buffer being written to the store, carried in the
 * entry, with the files they come from; 'R' the 'W' and 'F' entries before it are settled.
 */
struct JournalEntry
{
    char kind = 'W';
    std::uint64_t nonce = 0; ///< the delivering object (for a reader of the journal)
    std::string target{}; ///< the file written
    std::string targetId{};
    std::uint64_t offset = 0; ///< the file's size before the write
    std::uint64_t prefix = 0; ///< bytes of line end written before the lines
    std::string payload{}; ///< every byte written: prefix and lines ('W' only)
    /** For 'S': the waiting file. For 'F': each file as "name=identity=bytes", joined by '|'. */
    std::string source{};
    std::string sourceId{};
    std::uint64_t from = 0; ///< the batch's extent in its source
    std::uint64_t upto = 0;
    std::uint64_t sourceHash = 0; ///< of the source's first `upto` bytes
};

/**
 * An entry as the journal holds it: "SLJ <header size> <payload size>", the header's fields one a
 * line, the payload, and a hash of both. An 'S' entry carries no payload: its source holds it.
 */
std::string encode(const JournalEntry& entry);

/** The entries of a journal's text up to the first that is not whole; `validBytes` is where that one begins. */
std::vector<JournalEntry> decode(std::string_view text, std::size_t& validBytes);

} // namespace shiftloom::delivery
