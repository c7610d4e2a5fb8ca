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
    const std::size_t declared = static_cast<unsigned char>(record[0]) | (static_cast<unsigned char>(record[1]) << 8);
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

std::string JobLine(const JobEntry& job)
{
    constexpr std::string_view kTenBlanks = "          ";
    std::string line;
    line.reserve(85);
    line += job.JobPrefix;
    line += job.JobCode;
    line += kTenBlanks;
    line += job.JobCard;
    line += kTenBlanks;
    line += job.JobName;
    line += ' ';
    line += job.JobDetail;
    return line;
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
                result.lines.push_back(JobLine(parseJobEntry(text)));
        }
        if (got < chunk.size())
            break; // the file ended early: it shrank while being read
    }
    return result;
}

} // namespace shiftloom
