// SPDX-License-Identifier: MIT
#include "JobFile.h"

#include "app/LeadingNumber.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

bool isListed(std::string_view text)
{
    return fieldOf(text, jobfields::ListFlag) == " " && !text.empty() && text.front() != ' ';
}

namespace {

// The record text that holds every field of the line whole.
constexpr std::size_t kFullFieldsEnd = [] {
    std::size_t end = 0;
    for (const JobLinePart& part : kJobLineParts) {
        if (part.field.length != 0)
            end = std::max(end, part.field.first - 1 + part.field.length);
    }
    return end;
}();

// What a part of the line takes from a record's text (nothing for blanks).
std::string_view partOf(std::string_view text, const JobLinePart& part)
{
    return part.field.length != 0 ? fieldOf(text, part.field) : std::string_view{};
}

// The length of the line of a record's text.
std::size_t jobLineLength(std::string_view text)
{
    std::size_t length = 0;
    for (const JobLinePart& part : kJobLineParts)
        length += part.blanks + partOf(text, part).size();
    return length;
}

// Writes the line of a record's text at `out`, part by part.
void writeJobLine(char* out, std::string_view text)
{
    for (const JobLinePart& part : kJobLineParts) {
        const std::string_view field = partOf(text, part);
        out = std::fill_n(std::copy(field.begin(), field.end(), out), part.blanks, ' ');
    }
}

// The line of a text that holds every field whole, as nearly every record does: copies of
// fixed sizes at fixed places, unrolled over the parts.
template<std::size_t... Part> void writeFullJobLine(char* out, const char* text, std::index_sequence<Part...>)
{
    (...,
        (kJobLineParts[Part].blanks != 0
                ? static_cast<void>(std::memset(out, ' ', kJobLineParts[Part].blanks))
                : static_cast<void>(
                    std::memcpy(out, text + kJobLineParts[Part].field.first - 1, kJobLineParts[Part].field.length)),
            out += kJobLineParts[Part].width()));
}

// The job line straight from a record's text, written at the end of the list without copying
// its fields first: the fill makes one of these for every listed job.
void appendJobLine(TextList& lines, std::string_view text)
{
    if (text.size() >= kFullFieldsEnd)
        writeFullJobLine(
            lines.append(kFullJobLineLength), text.data(), std::make_index_sequence<kJobLineParts.size()>{});
    else
        writeJobLine(lines.append(jobLineLength(text)), text);
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The places of the parts a picked line is read back by, in `kJobLineParts`.
constexpr std::size_t kPrefixPart = 0;
constexpr std::size_t kCodePart = 1;
constexpr std::size_t kCardPart = 3;
constexpr std::size_t kNamePart = 5;
constexpr std::size_t kDetailPart = 7;
static_assert(kJobLineParts[kPrefixPart].field.first == jobfields::JobPrefix.first
    && kJobLineParts[kCodePart].field.first == jobfields::JobCode.first
    && kJobLineParts[kCardPart].field.first == jobfields::JobCard.first
    && kJobLineParts[kNamePart].field.first == jobfields::JobName.first
    && kJobLineParts[kDetailPart].field.first == jobfields::JobDetail.first);

// Where they sit with full fields: the key is JobPrefix and JobCode, the card its part, the
// description JobName to JobDetail at the end of the line.
constexpr std::size_t kKeyWidth = jobLineWidth(kPrefixPart, kCodePart);
constexpr std::size_t kCardColumn = jobLineWidth(kPrefixPart, kCardPart - 1);
constexpr std::size_t kCardWidth = jobLineWidth(kCardPart, kCardPart);
constexpr std::size_t kDescriptionWidth = jobLineWidth(kNamePart, kDetailPart);

} // namespace

std::string jobLine(std::string_view text)
{
    std::string line(jobLineLength(text), ' ');
    writeJobLine(line.data(), text);
    return line;
}

ListedJob readJobLine(std::string_view line)
{
    ListedJob job;
    job.key = trimmed(line.substr(0, kKeyWidth));
    if (kCardColumn < line.size())
        job.card = line.substr(kCardColumn, kCardWidth);
    job.description = line.size() > kDescriptionWidth ? line.substr(line.size() - kDescriptionWidth) : line;
    return job;
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
