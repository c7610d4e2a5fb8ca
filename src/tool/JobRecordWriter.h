// SPDX-License-Identifier: MIT
#pragma once

#include "app/JobFile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/**
 * One job as Card-Warden keeps it. The texts are Windows-1252 bytes, each at most as long as its
 * field (see `kJobFieldWidths`).
 */
struct JobSpec
{
    std::string prefix; ///< JobPrefix, first half of the job key
    std::string code; ///< JobCode, second half of the job key; a blank first character hides the job
    std::string name; ///< JobName
    std::string detail; ///< JobDetail
    std::string card; ///< JobCard, the number that start records carry as job card
    bool listed = true; ///< false: the ListFlag holds kUnlistedFlag and the panel leaves the job out
};

/** Length of every job text this tool writes: up to the last character of JobCard. */
inline constexpr std::size_t kJobTextLength = 180;
/** The ListFlag of a job that is not offered in the panel's job list. */
inline constexpr char kUnlistedFlag = 'X';

/**
 * The text of a job record: each field at its character positions, blanks everywhere else,
 * kJobTextLength characters. A field longer than its width is cut to it; callers check widths
 * first (see JobCsv), so that nothing is lost unnoticed.
 */
std::string jobText(const JobSpec& job);

/**
 * One 188-byte record of `dep.dat`: the length of `text` as an unsigned 16-bit little-endian
 * number, the text, zero bytes to the end. A text longer than kJobTextMaxLength is cut to it.
 */
std::string jobRecord(std::string_view text);

/** The whole job file: a header record whose text is the job count in decimal, then one record a job. */
std::string jobFileBytes(const std::vector<JobSpec>& jobs);

} // namespace shiftloom::tool
