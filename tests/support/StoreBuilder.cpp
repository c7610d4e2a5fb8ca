// SPDX-License-Identifier: MIT
#include "StoreBuilder.h"

namespace shiftloom::test {

std::string jobText(const TestJob& job)
{
    std::string text(180, ' ');
    auto place = [&](std::size_t first, std::size_t width, std::string_view value) {
        text.replace(first - 1, std::min(width, value.size()), value.substr(0, width));
    };
    place(1, 8, job.code);
    place(9, 20, job.name);
    text[118] = job.listed ? ' ' : 'X';
    place(129, 20, job.detail);
    place(165, 8, job.prefix);
    place(173, 8, job.card);
    return text;
}

std::string jobRecord(std::string_view text, int declaredLength)
{
    const auto length = static_cast<unsigned>(declaredLength < 0 ? static_cast<int>(text.size()) : declaredLength);
    std::string record(188, '\0');
    record[0] = static_cast<char>(length & 0xFFu);
    record[1] = static_cast<char>((length >> 8) & 0xFFu);
    return record.replace(2, std::min<std::size_t>(text.size(), 186), text.substr(0, 186));
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
        const std::string number = std::to_string(i);
        jobs.push_back(
            {"WS", "JOB" + (std::string(5, '0') + number).substr(number.size()), "Job " + number, "Detail", number});
    }
    return jobs;
}

} // namespace shiftloom::test
