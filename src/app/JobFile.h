// SPDX-License-Identifier: MIT
#pragma once

#include "app/TextList.h"
#include "platform/FileOps.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * Card-Warden's job file `dep.dat`: fixed-length records of 188 bytes, numbered from 1. Each
 * record holds one text: its length L as an unsigned 16-bit little-endian number (at most 186),
 * then L bytes of 8-bit text; the rest of the record is not read.
 *
 * Record 1 is the header; its text begins with `JobCount`, the number of job records that follow
 * (read with the leading-number rule). Records 2 to JobCount + 1 are jobs. Character positions of
 * a job record's text (1-based):
 *
 *     JobCode    1-8      JobName    9-28     ListFlag 119 (a blank: listed)
 *     JobDetail  129-148  JobPrefix  165-172  JobCard  173-180
 *
 * A field is the substring at its position; a text that ends early gives a shorter or empty field.
 */
inline constexpr std::size_t kJobRecordLength = 188;
inline constexpr std::size_t kJobTextMaxLength = 186;

/** A field of a job record's text: 1-based first character and length. */
struct JobField
{
    std::size_t first;
    std::size_t length;
};
namespace jobfields {
inline constexpr JobField JobCode{1, 8};
inline constexpr JobField JobName{9, 20};
inline constexpr JobField ListFlag{119, 1};
inline constexpr JobField JobDetail{129, 20};
inline constexpr JobField JobPrefix{165, 8};
inline constexpr JobField JobCard{173, 8};
} // namespace jobfields

/** The text of one 188-byte record (fewer bytes for a truncated last record); L is capped at what exists. */
std::string_view recordText(std::string_view record);
/** The substring of `text` at `field`, shorter or empty where the text ends early. */
std::string_view fieldOf(std::string_view text, JobField field);
/**
 * A job record is listed when its character 119 is a blank (a shorter text is not listed) and
 * its text is not empty and does not begin with a blank.
 */
bool isListed(std::string_view text);

/** One part of a job list line: a field of the job record, or a run of blanks. */
struct JobLinePart
{
    JobField field{0, 0}; ///< the record's field; length 0 for blanks
    std::size_t blanks = 0;

    constexpr std::size_t width() const { return field.length + blanks; }
};

/**
 * The job list line, one definition for building it and reading it back: JobPrefix, JobCode,
 * ten blanks, JobCard, ten blanks, JobName, one blank, JobDetail; 85 characters with full fields.
 * A field shorter in the record is shorter in the line; nothing pads it.
 */
inline constexpr std::array<JobLinePart, 8> kJobLineParts{JobLinePart{jobfields::JobPrefix},
    JobLinePart{jobfields::JobCode},
    JobLinePart{.blanks = 10},
    JobLinePart{jobfields::JobCard},
    JobLinePart{.blanks = 10},
    JobLinePart{jobfields::JobName},
    JobLinePart{.blanks = 1},
    JobLinePart{jobfields::JobDetail}};

/** The width of the line's parts `first` to `last` (inclusive) with full fields. */
constexpr std::size_t jobLineWidth(std::size_t first, std::size_t last)
{
    std::size_t width = 0;
    for (std::size_t part = first; part <= last; ++part)
        width += kJobLineParts.at(part).width();
    return width;
}

/** A job line's length with every field full. */
inline constexpr std::size_t kFullJobLineLength = jobLineWidth(0, kJobLineParts.size() - 1);

/**
 * What a picked job line gives its job slot, read back from the columns the line's parts have
 * with full fields: the `JobKey` (JobPrefix and JobCode, the first 16 characters, without blanks
 * at either end), the card (the 8 characters from column 27) and the description (JobName, the
 * blank and JobDetail: the last 41 characters, or the whole of a shorter line).
 */
struct ListedJob
{
    std::string key;
    std::string card;
    std::string description;
};

/** The job list line of a job record's text. */
std::string jobLine(std::string_view text);
/** The job a job list line lists (any text: what a shorter line lacks reads as empty). */
ListedJob readJobLine(std::string_view line);

/** The item after the jobs, which opens the locate dialog. */
inline constexpr std::string_view kSettingsItem = "[settings]";
/** The text the job list shows when nothing is being picked. */
inline constexpr std::string_view kAddJobText = "Add Job";

enum class JobFileOpen
{
    CreateIfMissing, ///< the panel: a missing job file is created empty
    ReadOnly, ///< the store tool: never creates or changes a file
};

struct JobListResult
{
    platform::FileError error = platform::FileError::None;
    TextList lines; ///< one `JobLine` per listed job, in record order
};

/**
 * Reads the job lines of the job file at `path`, in as few reads as its size allows: whole
 * chunks of records, never one read per record. A `JobCount` beyond the file is harmless (missing
 * records read as empty and are not listed); memory grows with the records read, not the count.
 */
JobListResult readJobList(platform::FileOps& files, std::string_view path, JobFileOpen mode);

} // namespace shiftloom
