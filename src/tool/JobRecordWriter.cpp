// SPDX-License-Identifier: MIT
#include "JobRecordWriter.h"

#include <algorithm>

namespace shiftloom::tool {
namespace {

void place(std::string& text, JobField field, std::string_view value)
{
    text.replace(field.first - 1, std::min(value.size(), field.length), value.substr(0, field.length));
}

} // namespace

std::string jobText(const JobSpec& job)
{
    std::string text(kJobTextLength, ' ');
    place(text, jobfields::JobCode, job.code);
    place(text, jobfields::JobName, job.name);
    if (!job.listed)
        text[jobfields::ListFlag.first - 1] = kUnlistedFlag;
    place(text, jobfields::JobDetail, job.detail);
    place(text, jobfields::JobPrefix, job.prefix);
    place(text, jobfields::JobCard, job.card);
    return text;
}

std::string jobRecord(std::string_view text)
{
    const std::size_t length = std::min(text.size(), kJobTextMaxLength);
    std::string record(kJobRecordLength, '\0');
    record[0] = static_cast<char>(length & 0xFFu);
    record[1] = static_cast<char>((length >> 8) & 0xFFu);
    std::copy_n(text.begin(), length, record.begin() + 2);
    return record;
}

std::string jobFileBytes(const std::vector<JobSpec>& jobs)
{
    std::string bytes;
    bytes.reserve((jobs.size() + 1) * kJobRecordLength);
    bytes += jobRecord(std::to_string(jobs.size()));
    for (const JobSpec& job : jobs)
        bytes += jobRecord(jobText(job));
    return bytes;
}

} // namespace shiftloom::tool
