// SPDX-License-Identifier: MIT
#include "StoreBuilder.h"

#include <cstdio>

namespace shiftloom::test {
namespace {

void place(std::string& text, std::size_t first, std::size_t width, std::string_view value)
{
    text.replace(first - 1, std::min(width, value.size()), value.substr(0, width));
}

} // namespace

std::string jobText(const TestJob& job)
{
    std::string text(180, ' ');
    place(text, 1, 8, job.code);
    place(text, 9, 20, job.name);
    text[118] = job.listed ? ' ' : 'X';
    place(text, 129, 20, job.detail);
    place(text, 165, 8, job.prefix);
    place(text, 173, 8, job.card);
    return text;
}

std::string jobRecord(std::string_view text, int declaredLength)
{
    std::string record(188, '\0');
    const auto length = static_cast<unsigned>(declaredLength < 0 ? static_cast<int>(text.size()) : declaredLength);
    record[0] = static_cast<char>(length & 0xFFu);
    record[1] = static_cast<char>((length >> 8) & 0xFFu);
    record.replace(2, std::min<std::size_t>(text.size(), 186), text.substr(0, 186));
    return record;
}

std::string jobFile(std::string_view header, const std::vector<std::string>& texts)
{
    std::string file = jobRecord(header);
    for (const std::string& text : texts)
        file += jobRecord(text);
    return file;
}

std::string jobFile(const std::vector<TestJob>& jobs)
{
    std::vector<std::string> texts;
    for (const TestJob& job : jobs)
        texts.push_back(jobText(job));
    return jobFile(std::to_string(jobs.size()), texts);
}

std::vector<TestJob> numberedJobs(int count)
{
    std::vector<TestJob> jobs;
    for (int i = 1; i <= count; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "JOB%05d", i);
        jobs.push_back({"WS", code, "Job " + std::to_string(i), "Detail", std::to_string(i), true});
    }
    return jobs;
}

} // namespace shiftloom::test
