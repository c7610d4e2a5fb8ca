// SPDX-License-Identifier: MIT
#include "JobFile.h"

#include "app/LeadingNumber.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>

namespace shiftloom {

std::string_view recordText(std::string_view record)
{
    if (record.size() < 2)
        return {};
    const std::size_t declared =
        std::size_t{static_cast<unsigned char>(record[0])} | (std::size_t{static_cast<unsigned char>(record[1])} << 8);
    const std::size_t length = std::min({declared, kJobTextMaxLength, record.size() - 2});
    return record.substr(2, length);
}

std::string_view fieldOf(std::string_view text, JobField field)
{
    const std::size_t start = field.first - 1;
    if (start >= text.size())
        return {};
    return text.substr(start, field.length);
}

JobEntry parseJobEntry(std::string_view text)
{
    return JobEntry{std::string(fieldOf(text, jobfields::JobCode)),
        std::string(fieldOf(text, jobfields::JobName)),
        std::string(fieldOf(text, jobfields::JobDetail)),
        std::string(fieldOf(text, jobfields::JobPrefix)),
        std::string(fieldOf(text, jobfields::JobCard))};
}

bool isListed(std::string_view text)
{
    return fieldOf(text, jobfields::ListFlag) == " " && !text.empty() && text.front() != ' ';
}

namespace {

constexpr std::size_t kGap = 10;
// A job line with every field full, and the length of record text that holds every field.
constexpr std::size_t kFullJobLineLength = 8 + 8 + kGap + 8 + kGap + 20 + 1 + 20;
constexpr std::size_t kFullFieldsEnd = 180;
static_assert(kFullFieldsEnd == jobfields::JobCard.first - 1 + jobfields::JobCard.length);

std::size_t jobLineLength(std::string_view prefix,
    std::string_view code,
    std::string_view card,
    std::string_view name,
    std::string_view detail)
{
    return prefix.size() + code.size() + kGap + card.size() + kGap + name.size() + 1 + detail.size();
}

// Writes the line's fields and the blanks between them at `out`; returns the end.
char* writeJobLine(char* out,
    std::string_view prefix,
    std::string_view code,
    std::string_view card,
    std::string_view name,
    std::string_view detail)
{
    out = std::copy(prefix.begin(), prefix.end(), out);
    out = std::copy(code.begin(), code.end(), out);
    out = std::fill_n(out, kGap, ' ');
    out = std::copy(card.begin(), card.end(), out);
    out = std::fill_n(out, kGap, ' ');
    out = std::copy(name.begin(), name.end(), out);
    *out++ = ' ';
    return std::copy(detail.begin(), detail.end(), out);
}

// The job line straight from a record's text, written at the end of the list without copying
// its fields first: the fill makes one of these for every listed job.
void appendJobLine(TextList& lines, std::string_view text)
{
    if (text.size() >= kFullFieldsEnd) {
        // Every field whole, as in nearly every record: copies of fixed sizes.
        char* out = lines.append(kFullJobLineLength);
        const char* in = text.data();
        std::memcpy(out, in + 164, 8);
        std::memcpy(out + 8, in, 8);
        std::memset(out + 16, ' ', kGap);
        std::memcpy(out + 26, in + 172, 8);
        std::memset(out + 34, ' ', kGap);
        std::memcpy(out + 44, in + 8, 20);
        out[64] = ' ';
        std::memcpy(out + 65, in + 128, 20);
        return;
    }
    const std::string_view prefix = fieldOf(text, jobfields::JobPrefix);
    const std::string_view code = fieldOf(text, jobfields::JobCode);
    const std::string_view card = fieldOf(text, jobfields::JobCard);
    const std::string_view name = fieldOf(text, jobfields::JobName);
    const std::string_view detail = fieldOf(text, jobfields::JobDetail);
    writeJobLine(lines.append(jobLineLength(prefix, code, card, name, detail)), prefix, code, card, name, detail);
}

} // namespace

std::string JobLine(const JobEntry& job)
{
    std::string line(jobLineLength(job.JobPrefix, job.JobCode, job.JobCard, job.JobName, job.JobDetail), ' ');
    writeJobLine(line.data(), job.JobPrefix, job.JobCode, job.JobCard, job.JobName, job.JobDetail);
    return line;
}

namespace {
// The list reserves room for this many job lines of full length at most.
constexpr std::uint64_t kReserveJobs = std::uint64_t{1} << 20;
} // namespace

JobListResult readJobList(platform::FileOps& files, std::string_view path, JobFileOpen mode)
{
    JobListResult result;
    platform::OpenFile file(files);
    const auto openMode =
        mode == JobFileOpen::CreateIfMissing ? platform::OpenMode::ReadCreate : platform::OpenMode::Read;
    if ((result.error = file.open(path, openMode)) != platform::FileError::None)
        return result;

    // Record 1, the header.
    char header[kJobRecordLength];
    std::size_t got = 0;
    if ((result.error = files.readAt(file.handle(), 0, header, kJobRecordLength, got)) != platform::FileError::None)
        return result;
    std::uint64_t fileSize = 0;
    if ((result.error = files.size(file.handle(), fileSize)) != platform::FileError::None)
        return result;
    // Records beyond the end read as empty and are never listed, so the count stops at the file's end.
    const std::uint64_t recordsInFile = (fileSize + kJobRecordLength - 1) / kJobRecordLength;
    const std::uint64_t jobsInFile = recordsInFile > 1 ? recordsInFile - 1 : 0;
    const std::uint64_t jobCount = countFromText(recordText(std::string_view(header, got)), jobsInFile);

    // Bounded by the records the file holds, so a large count in the header costs nothing; what
    // is reserved and never written is never touched either.
    const auto expected = static_cast<std::size_t>(std::min<std::uint64_t>(jobCount, kReserveJobs));
    result.lines.reserve(expected, expected * kFullJobLineLength);
    // A chunk small enough to be reused from the heap at every fill rather than mapped afresh:
    // fresh pages are what a start-up pays most for.
    constexpr std::uint64_t kRecordsPerChunk = 2048;
    std::string chunk;
    for (std::uint64_t first = 0; first < jobCount; first += kRecordsPerChunk) {
        const std::uint64_t records = std::min(kRecordsPerChunk, jobCount - first);
        chunk.resize(static_cast<std::size_t>(records * kJobRecordLength));
        const std::uint64_t offset = (first + 1) * kJobRecordLength;
        if ((result.error = files.readAt(file.handle(), offset, chunk.data(), chunk.size(), got))
            != platform::FileError::None) {
            result.lines.clear();
            return result;
        }
        const std::string_view bytes(chunk.data(), got);
        for (std::size_t at = 0; at < bytes.size(); at += kJobRecordLength) {
            const std::string_view text = recordText(bytes.substr(at, kJobRecordLength));
            if (isListed(text))
                appendJobLine(result.lines, text);
        }
        if (got < chunk.size())
            break; // the file ended early: it shrank while being read
    }
    return result;
}

} // namespace shiftloom
