// SPDX-License-Identifier: MIT
#include "JobFile.h"

#include "app/LeadingNumber.h"
#include "platform/FileIo.h"

#include <algorithm>

namespace shiftloom {

std::string_view recordText(std::string_view record)
{
    if (record.size() < 2)
        return {};
    const std::size_t declared = std::size_t{static_cast<unsigned char>(record[0])}
        | (std::size_t{static_cast<unsigned char>(record[1])} << 8);
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

std::string buildJobLine(std::string_view prefix,
    std::string_view code,
    std::string_view card,
    std::string_view name,
    std::string_view detail)
{
    constexpr std::size_t kGap = 10;
    // Made blank at its full length, so the gaps need no writing; the fields are copied in place.
    std::string line(prefix.size() + code.size() + kGap + card.size() + kGap + name.size() + 1 + detail.size(), ' ');
    char* out = line.data();
    out = std::copy(prefix.begin(), prefix.end(), out);
    out = std::copy(code.begin(), code.end(), out) + kGap;
    out = std::copy(card.begin(), card.end(), out) + kGap;
    out = std::copy(name.begin(), name.end(), out) + 1;
    std::copy(detail.begin(), detail.end(), out);
    return line;
}

// The job line straight from a record's text, without copying its fields first: the fill makes
// one of these for every listed job.
std::string jobLineOf(std::string_view text)
{
    return buildJobLine(fieldOf(text, jobfields::JobPrefix),
        fieldOf(text, jobfields::JobCode),
        fieldOf(text, jobfields::JobCard),
        fieldOf(text, jobfields::JobName),
        fieldOf(text, jobfields::JobDetail));
}

} // namespace

std::string JobLine(const JobEntry& job)
{
    return buildJobLine(job.JobPrefix, job.JobCode, job.JobCard, job.JobName, job.JobDetail);
}

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

    // Bounded by the records the file holds, so a large count in the header costs nothing.
    result.lines.reserve(static_cast<std::size_t>(jobCount));
    constexpr std::uint64_t kRecordsPerChunk = 4096;
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
                result.lines.push_back(jobLineOf(text));
        }
        if (got < chunk.size())
            break; // the file ended early: it shrank while being read
    }
    return result;
}

} // namespace shiftloom
