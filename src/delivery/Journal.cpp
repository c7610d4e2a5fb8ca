// SPDX-License-Identifier: MIT
#include "Journal.h"

#include <charconv>

namespace shiftloom::delivery {
namespace {

constexpr std::string_view kMagic = "SLJ ";

} // namespace

std::string storeLines(std::string_view bytes)
{
    std::string lines;
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        std::string_view line = bytes.substr(0, newline);
        bytes.remove_prefix(newline == std::string_view::npos ? bytes.size() : newline + 1);
        if (newline != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines += line;
        lines += kLineEnd;
    }
    return lines;
}

std::uint64_t hashOn(std::uint64_t hash, std::string_view bytes)
{
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string encode(const JournalEntry& e)
{
    // A batch of a hand-over is its source's bytes: the entry names them instead of carrying them.
    const std::string_view payload = e.kind == 'S' ? std::string_view() : std::string_view(e.payload);
    std::string header;
    header += e.kind;
    for (const std::string& field : {std::to_string(e.nonce),
             e.target,
             e.targetId,
             std::to_string(e.offset),
             std::to_string(e.prefix),
             e.source,
             e.sourceId,
             std::to_string(e.from),
             std::to_string(e.upto),
             std::to_string(e.sourceHash)}) {
        header += '\n';
        header += field;
    }
    header += '\n';
    std::string out(kMagic);
    out += std::to_string(header.size()) + " " + std::to_string(payload.size()) + "\n";
    out += header;
    out += payload;
    out += " " + std::to_string(hashOn(hashOn(kHashBasis, header), payload)) + "\n";
    return out;
}

namespace {

bool readNumber(std::string_view text, std::uint64_t& value)
{
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size();
}

} // namespace

std::vector<JournalEntry> decode(std::string_view text, std::size_t& validBytes)
{
    std::vector<JournalEntry> entries;
    std::size_t at = 0;
    validBytes = 0;
    for (;;) {
        const std::size_t lineEnd = text.find('\n', at);
        if (lineEnd == std::string_view::npos || text.substr(at, kMagic.size()) != kMagic)
            return entries;
        const std::string_view sizes = text.substr(at + kMagic.size(), lineEnd - at - kMagic.size());
        const std::size_t blank = sizes.find(' ');
        std::uint64_t headerSize = 0, payloadSize = 0;
        if (blank == std::string_view::npos || !readNumber(sizes.substr(0, blank), headerSize)
            || !readNumber(sizes.substr(blank + 1), payloadSize))
            return entries;
        const std::size_t body = lineEnd + 1;
        if (headerSize > text.size() - body || payloadSize > text.size() - body - headerSize)
            return entries;
        const std::string_view header = text.substr(body, headerSize);
        const std::string_view payload = text.substr(body + headerSize, payloadSize);
        const std::size_t tail = body + headerSize + payloadSize;
        const std::size_t tailEnd = text.find('\n', tail);
        std::uint64_t check = 0;
        if (tailEnd == std::string_view::npos || text[tail] != ' '
            || !readNumber(text.substr(tail + 1, tailEnd - tail - 1), check)
            || check != hashOn(hashOn(kHashBasis, header), payload))
            return entries;
        std::vector<std::string_view> fields;
        for (std::size_t f = 0; f < header.size();) {
            const std::size_t end = header.find('\n', f);
            fields.push_back(header.substr(f, end - f));
            f = end + 1;
        }
        JournalEntry e;
        if (fields.size() != 11 || fields[0].size() != 1 || !readNumber(fields[1], e.nonce)
            || !readNumber(fields[4], e.offset) || !readNumber(fields[5], e.prefix) || !readNumber(fields[8], e.from)
            || !readNumber(fields[9], e.upto) || !readNumber(fields[10], e.sourceHash)
            || (fields[0] != "S" && e.prefix > payload.size()) || e.prefix > 2)
            return entries;
        e.kind = fields[0][0];
        e.target = fields[2];
        e.targetId = fields[3];
        e.source = fields[6];
        e.sourceId = fields[7];
        e.payload = payload;
        entries.push_back(std::move(e));
        at = tailEnd + 1;
        validBytes = at;
    }
}

} // namespace shiftloom::delivery
