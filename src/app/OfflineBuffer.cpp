// SPDX-License-Identifier: MIT
#include "OfflineBuffer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <iostream>
#include <optional>
#include <random>

namespace shiftloom {

using platform::FileError;
using platform::LockKind;
using platform::OpenFile;
using platform::OpenMode;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kMagic = "SLJ ";
constexpr std::uint64_t kHashBasis = 14695981039346656037ull;

/** The lines of a source's bytes as they go to the store: each ended by CR LF. */
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

/**
 * One entry of the journal. Kinds: 'S' a batch of a buffer or spool being written to the store;
 * 'W' records of a writer being written to a file; 'R' the 'W' entries before it are settled.
 */
struct Entry
{
    char kind = 'W';
    std::uint64_t nonce = 0; ///< the delivering object (for a reader of the journal)
    std::string target{}; ///< the file written
    std::string targetId{};
    std::uint64_t offset = 0; ///< the file's size before the write
    std::uint64_t prefix = 0; ///< bytes of line end written before the lines
    std::string payload{}; ///< every byte written: prefix and lines
    std::string source{}; ///< for 'S': the buffer or spool
    std::string sourceId{};
    std::uint64_t from = 0; ///< the batch's extent in its source
    std::uint64_t upto = 0;
    std::uint64_t sourceHash = 0; ///< of the source's first `upto` bytes
};

std::string encode(const Entry& e)
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

bool readNumber(std::string_view text, std::uint64_t& value)
{
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size();
}

/** The entries of a journal up to the first that is not whole; `validBytes` is where that one begins. */
std::vector<Entry> decode(std::string_view text, std::size_t& validBytes)
{
    std::vector<Entry> entries;
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
        Entry e;
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

/** How a journalled write stands in its file. */
enum class Settled
{
    There, ///< wholly there (perhaps after its missing rest was appended just now)
    NotThere, ///< none of its lines reached the file
    Fragment, ///< part of it, with something else written after it
    Doubt, ///< the file is not the one written (another file now, shorter than before)
    Unreadable, ///< the file may be appended to but not read: it cannot be compared
    Busy, ///< the file's lock is taken
    Fault, ///< the file cannot be opened or written
};

enum class SourceState
{
    Absent, ///< no such file (or not a file), or emptied and deleted now
    Delivered, ///< every line is in the store
    Waiting, ///< a lock is taken: later
    Unreadable,
    StoreFault,
};

} // namespace

/** One delivery under the journal's lock: settles what the journal holds, writes with intents. */
class OfflineBuffer::Session
{
public:
    explicit Session(OfflineBuffer& owner)
        : m_owner(owner)
        , m_files(owner.m_files)
        , m_journal(owner.m_files)
    {
    }

    /** Takes the journal's lock. Busy when another panel of the user delivers now. */
    FileError begin()
    {
        // Without a journal a writer's records still go to the store (only a kill in the middle of
        // their write would not be mended); the buffer and the spool wait for it (see handOver).
        if (m_journal.open(DeliveryJournalPath, OpenMode::AppendCreate) != FileError::None)
            return FileError::None;
        if (const FileError error = m_journal.lock(LockKind::Exclusive, m_owner.m_wait.budget, m_owner.m_wait.interval);
            error != FileError::None) {
            m_journal.close();
            return error == FileError::Busy ? error : FileError::None;
        }
        std::string text;
        if (platform::readAll(m_files, m_journal.handle(), text) != FileError::None) {
            m_journal.close();
            return FileError::None;
        }
        std::size_t valid = 0;
        m_entries = decode(text, valid);
        // A torn last entry (a kill while it was written) is cut off, so that later entries count.
        if (valid < text.size() && m_files.truncate(m_journal.handle(), valid) != FileError::None)
            m_journal.close();
        return FileError::None;
    }

    /**
     * Settles the writes of records that the journal holds unsettled: of a writer that died
     * before it knew where they went, or whose write failed half-way and was left to the journal.
     * Lines that did not arrive come back: `beforeSources` those meant for the store (older than
     * anything waiting now), `afterSources` those meant for the buffer or the spool. Once all are
     * settled, their entries are retired.
     */
    void settleRecords(std::string& beforeSources, std::string& afterSources)
    {
        std::vector<const Entry*> pending;
        for (const Entry& e : m_entries) {
            if (e.kind == 'R')
                pending.clear();
            else if (e.kind == 'W')
                pending.push_back(&e);
        }
        for (const Entry* e : pending) {
            std::size_t matched = 0;
            const Settled settled = settle(*e, &matched);
            if (settled == Settled::Busy || settled == Settled::Fault) {
                m_allSettled = false;
                continue;
            }
            const std::string_view lines = std::string_view(e->payload).substr(e->prefix);
            std::size_t arrived = settled == Settled::There ? lines.size() : 0;
            if (settled == Settled::Fragment) {
                ++m_owner.m_refragments;
                const std::size_t whole = lines.substr(0, matched - e->prefix).rfind(kLineEnd);
                arrived = whole == std::string_view::npos ? 0 : whole + kLineEnd.size();
            }
            const bool toWaiting =
                m_files.sameFile(e->target, OfflineBufferPath) || m_files.sameFile(e->target, m_owner.m_spool);
            (toWaiting ? afterSources : beforeSources) += lines.substr(arrived);
        }
        if (!m_allSettled) {
            // Their lines stay with their entries until all can be settled at once.
            beforeSources.clear();
            afterSources.clear();
        } else if (!pending.empty()) {
            add(Entry{.kind = 'R', .nonce = m_owner.m_nonce});
        }
    }

    /** How a journalled append of records came out. */
    enum class Appended
    {
        Done,
        Refused, ///< nothing of them is in the file: they may go elsewhere
        InJournal, ///< part of them may be in the file: the journal keeps them until it is settled
        InDoubt, ///< part of them may be in the file, and the journal could not take them
    };

    /** Appends records to `target` with an intent in the journal. */
    Appended appendRecords(std::string_view target, std::string_view lines, FileError& error)
    {
        Entry e{.kind = 'W', .nonce = m_owner.m_nonce, .target = std::string(target)};
        bool journalled = false;
        const platform::AppendResult result =
            platform::appendLocked(m_files, target, lines, m_owner.m_wait, [&](const platform::AppendPlan& plan) {
                fill(e, plan, lines);
                // Without its intent the record still goes: a failing journal keeps nothing from the store.
                journalled = add(e) == FileError::None;
                return FileError::None;
            });
        error = result.error;
        Settled settled = result.ok() ? Settled::There : Settled::NotThere;
        if (!result.ok() && result.started)
            settled = settle(e);
        switch (settled) {
        case Settled::There:
            retireOwn();
            error = FileError::None;
            return Appended::Done;
        case Settled::NotThere:
        case Settled::Doubt: // nothing to compare with: in doubt, the lines are copied again
        case Settled::Unreadable:
            retireOwn();
            return Appended::Refused;
        default:
            m_allSettled = false; // its entry must stay until a later delivery settles it
            return journalled ? Appended::InJournal : Appended::InDoubt;
        }
    }

    /** Hands `source` over to `store`, from where the journal says its delivered lines end. */
    SourceState handOver(std::string_view source, std::string_view store, FileError& error)
    {
        constexpr int kAttempts = 5;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            OpenFile file(m_files);
            error = file.open(source, OpenMode::ReadWrite);
            if (error == FileError::None && !m_journal.isOpen()) {
                // Without the journal a hand-over cut short would copy lines again: it waits.
                error = FileError::Io;
                return SourceState::Waiting;
            }
            if (error == FileError::NotFound || error == FileError::IsDirectory) {
                error = FileError::None;
                return SourceState::Absent;
            }
            if (error != FileError::None)
                return SourceState::Unreadable;
            if (error = file.lock(LockKind::Exclusive, m_owner.m_wait.budget, m_owner.m_wait.interval);
                error != FileError::None)
                return error == FileError::Busy ? SourceState::Waiting : SourceState::Unreadable;
            // Another panel handed it over and deleted it while we waited for its lock.
            if (m_files.detached(file.handle(), source))
                continue;
            std::string content;
            std::string id;
            if (error = platform::readAll(m_files, file.handle(), content); error != FileError::None)
                return SourceState::Unreadable;
            if (error = m_files.identity(file.handle(), id); error != FileError::None)
                return SourceState::Unreadable;

            std::uint64_t from = 0;
            if (const std::optional<Entry> last = lastEntryOf(source, id, content)) {
                if (m_files.sameFile(last->target, store)) {
                    std::size_t matched = 0;
                    switch (settle(*last, &matched)) {
                    case Settled::There:
                        from = last->upto;
                        break;
                    case Settled::Fragment:
                        // The lines wholly there stay; the torn one and those after it go again.
                        ++m_owner.m_refragments;
                        from = afterWholeLines(content, *last, matched);
                        break;
                    case Settled::NotThere:
                    case Settled::Unreadable: // in doubt, the batch goes again; those before it went
                        from = last->from;
                        break;
                    case Settled::Doubt: // not the file written: in doubt, everything goes again
                        break;
                    case Settled::Busy:
                        error = FileError::Busy;
                        return SourceState::Waiting;
                    case Settled::Fault:
                        error = FileError::Io;
                        return SourceState::StoreFault;
                    }
                }
            }
            std::uint64_t hash = hashOn(kHashBasis, std::string_view(content).substr(0, from));
            for (std::size_t at = from; at < content.size();) {
                std::size_t end = at;
                while (end < content.size() && end - at < m_owner.m_batchBytes) {
                    const std::size_t newline = content.find('\n', end);
                    end = newline == std::string::npos ? content.size() : newline + 1;
                }
                const std::string lines = storeLines(std::string_view(content).substr(at, end - at));
                const std::uint64_t batchHash = hashOn(hash, std::string_view(content).substr(at, end - at));
                Entry e{.kind = 'S',
                    .nonce = m_owner.m_nonce,
                    .target = std::string(store),
                    .source = std::string(source),
                    .sourceId = id,
                    .from = at,
                    .upto = end,
                    .sourceHash = batchHash};
                const platform::AppendResult result = platform::appendLocked(
                    m_files, store, lines, m_owner.m_wait, [&](const platform::AppendPlan& plan) {
                        fill(e, plan, lines);
                        return add(e);
                    });
                if (!result.ok()) {
                    const Settled settled = result.started ? settle(e) : Settled::NotThere;
                    if (settled != Settled::There) {
                        error = result.error;
                        return error == FileError::Busy ? SourceState::Waiting : SourceState::StoreFault;
                    }
                }
                hash = batchHash;
                at = end;
            }
            // Deleted once all of it is in the store. Where it cannot be deleted, the journal's last
            // entry says that it all went, and the next hand-over deletes it without copying it again.
            error = FileError::None;
            if (m_files.remove(source) == FileError::None)
                return SourceState::Absent;
            // An empty batch at its end: all of it went, whatever becomes of the store meanwhile.
            add(Entry{.kind = 'S',
                .nonce = m_owner.m_nonce,
                .target = std::string(store),
                .source = std::string(source),
                .sourceId = id,
                .from = content.size(),
                .upto = content.size(),
                .sourceHash = hash});
            return SourceState::Delivered;
        }
        error = FileError::Busy;
        return SourceState::Waiting;
    }

    bool allSettled() const { return m_allSettled; }

    /** Empties the journal when nothing it says can matter any more. */
    void finish(bool sourcesGone)
    {
        if (sourcesGone && m_allSettled && m_journal.isOpen() && !m_entries.empty()
            && m_files.truncate(m_journal.handle(), 0) == FileError::None)
            m_entries.clear();
    }

private:
    /**
     * Where in `content` the lines of a batch's fragment end that are wholly in the store: the
     * first `matched` bytes of the batch's payload (its line end first, then its lines, each
     * ended by CR LF) match the store.
     */
    static std::uint64_t afterWholeLines(const std::string& content, const Entry& e, std::size_t matched)
    {
        std::uint64_t at = e.from;
        std::size_t written = e.prefix;
        while (at < e.upto) {
            const std::size_t newline = content.find('\n', at);
            const std::size_t next =
                std::min<std::size_t>(newline == std::string::npos ? content.size() : newline + 1, e.upto);
            std::string_view line = std::string_view(content).substr(at, next - at);
            if (!line.empty() && line.back() == '\n') {
                line.remove_suffix(1);
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
            }
            written += line.size() + kLineEnd.size();
            if (written > matched)
                break;
            at = next;
        }
        return at;
    }

    static void fill(Entry& e, const platform::AppendPlan& plan, std::string_view lines)
    {
        e.targetId = plan.identity;
        e.offset = plan.sizeBefore;
        e.prefix = plan.prefix.size();
        e.payload.assign(plan.prefix);
        e.payload += lines;
    }

    /** Writes an intent and forces it to the disk. A journal that fails is put back as it was. */
    FileError add(const Entry& e)
    {
        if (!m_journal.isOpen())
            return FileError::Io;
        std::uint64_t before = 0;
        const std::string text = encode(e);
        std::size_t written = 0;
        FileError error = m_files.size(m_journal.handle(), before);
        if (error == FileError::None)
            error = m_files.append(m_journal.handle(), text.data(), text.size(), written);
        if (error == FileError::None && written != text.size())
            error = FileError::NoSpace;
        if (error == FileError::None)
            error = m_files.flush(m_journal.handle());
        if (error == FileError::None) {
            m_entries.push_back(e);
            if (e.kind == 'S')
                m_entries.back().payload.clear(); // named by its source, rebuilt from it when needed
            return FileError::None;
        }
        // The journal is put back as it was; a torn entry that cannot be cut off ends its use.
        if (written > 0 && m_files.truncate(m_journal.handle(), before) != FileError::None)
            m_journal.close();
        return error;
    }

    /** Our own records are settled: their intent is void. */
    void retireOwn()
    {
        if (!m_allSettled || !m_journal.isOpen())
            return;
        const bool sourcesNamed =
            std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.kind == 'S'; });
        if (!sourcesNamed) {
            if (m_files.truncate(m_journal.handle(), 0) == FileError::None)
                m_entries.clear();
            return;
        }
        add(Entry{.kind = 'R', .nonce = m_owner.m_nonce});
    }

    /**
     * The journal's last word on `source`, when it is about this very file: same identity, and the
     * bytes it had delivered are still its first bytes. Anything else is no ground to skip a line.
     */
    std::optional<Entry> lastEntryOf(std::string_view source, const std::string& id, const std::string& content) const
    {
        for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e) {
            if (e->kind != 'S' || e->source != source)
                continue;
            const std::string_view bytes(content);
            if (id.empty() || e->sourceId != id || e->upto > bytes.size() || e->from > e->upto
                || hashOn(kHashBasis, bytes.substr(0, e->upto)) != e->sourceHash)
                return std::nullopt;
            // What was written: the line end before the batch, then its lines.
            Entry batch = *e;
            batch.payload = std::string(kLineEnd.substr(kLineEnd.size() - static_cast<std::size_t>(e->prefix)));
            batch.payload += storeLines(bytes.substr(e->from, e->upto - e->from));
            return batch;
        }
        return std::nullopt;
    }

    /** Compares a journalled write with its file, and completes it when it was cut short at the end. */
    Settled settle(const Entry& e, std::size_t* matched = nullptr)
    {
        if (e.payload.empty())
            return Settled::There; // nothing was to be written
        OpenFile file(m_files);
        bool readable = true;
        const FileError error = platform::openLockedForAppend(file, e.target, m_owner.m_wait, readable);
        if (error == FileError::Busy)
            return Settled::Busy;
        if (error == FileError::NotFound || error == FileError::IsDirectory)
            return Settled::Doubt; // the file is gone: nothing to compare with
        if (error != FileError::None)
            return Settled::Fault;
        std::string id;
        std::uint64_t size = 0;
        if (m_files.identity(file.handle(), id) != FileError::None
            || m_files.size(file.handle(), size) != FileError::None)
            return Settled::Fault;
        if (id != e.targetId || size < e.offset)
            return Settled::Doubt;
        if (!readable)
            return Settled::Unreadable;
        const std::size_t length = e.payload.size();
        const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - e.offset));
        std::string there(available, '\0');
        std::size_t got = 0;
        if (m_files.readAt(file.handle(), e.offset, there.data(), available, got) != FileError::None)
            return Settled::Fault;
        if (got != available)
            return Settled::Doubt;
        const std::size_t same = static_cast<std::size_t>(
            std::mismatch(there.begin(), there.end(), e.payload.begin()).first - there.begin());
        if (matched)
            *matched = same;
        if (same == length)
            return Settled::There;
        if (e.offset + same == size) {
            // Cut short at the end of the file, nothing after it: the missing rest completes it.
            std::size_t written = 0;
            const std::string_view rest = std::string_view(e.payload).substr(same);
            if (m_files.append(file.handle(), rest.data(), rest.size(), written) == FileError::None
                && written == rest.size() && m_files.flush(file.handle()) == FileError::None)
                return Settled::There;
            return Settled::Fault;
        }
        return same <= e.prefix ? Settled::NotThere : Settled::Fragment;
    }

    OfflineBuffer& m_owner;
    platform::FileOps& m_files;
    OpenFile m_journal;
    std::vector<Entry> m_entries;
    bool m_allSettled = true;
};

OfflineBuffer::OfflineBuffer(platform::FileOps& files, platform::LockWait wait, std::string spoolPath)
    : m_files(files)
    , m_wait(wait)
    , m_spool(std::move(spoolPath))
    , m_nonce(std::random_device{}() ^ (static_cast<std::uint64_t>(std::random_device{}()) << 32)
          ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
}

HandOverResult OfflineBuffer::replayInto(std::string_view storeDataFile)
{
    std::string none;
    HandOverResult result;
    place(storeDataFile, none, result);
    return result;
}

Placed OfflineBuffer::place(std::string_view storeDataFile, std::string& lines, HandOverResult& result)
{
    result = {};
    Session session(*this);
    if (const FileError error = session.begin(); error != FileError::None) {
        result.error = error;
        result.pendingLeft = true;
        return Placed::Nowhere;
    }
    const std::size_t refragmentsBefore = m_refragments;
    const bool storeIsBuffer = m_files.sameFile(storeDataFile, OfflineBufferPath);
    std::string before;
    std::string after;
    session.settleRecords(before, after);
    // Records of a write still unsettled are older than any new one: the new ones wait behind.
    result.pendingLeft = !session.allSettled();

    auto storeFailed = [&result](FileError error) {
        result.error = error;
        result.pendingLeft = true;
        result.storeFault = error != FileError::Busy;
    };
    bool storeOpen = true;
    if (!before.empty()) {
        FileError error = FileError::None;
        switch (session.appendRecords(storeDataFile, before, error)) {
        case Session::Appended::Done:
        case Session::Appended::InJournal:
            before.clear();
            break;
        default:
            storeFailed(error);
            storeOpen = false;
            break;
        }
    }
    lines.insert(0, before);
    bool spoolExamined = false;
    bool spoolHolds = false;
    bool sourcesGone = false;
    // The buffer and the spool wait behind unsettled writes too: a write of records into one of
    // them settles against that very file, so a source handed over and deleted before its writes
    // are settled would have their records copied a second time.
    if (storeOpen && session.allSettled()) {
        // The buffer, then the spool (whose records are newer), then the new lines.
        const std::string_view sources[] = {OfflineBufferPath, m_spool};
        sourcesGone = true;
        for (const std::string_view source : sources) {
            if (source == OfflineBufferPath && storeIsBuffer)
                continue;
            FileError error = FileError::None;
            const SourceState state = session.handOver(source, storeDataFile, error);
            if (source != OfflineBufferPath) {
                spoolExamined = true;
                spoolHolds = state != SourceState::Absent && state != SourceState::Delivered;
            }
            sourcesGone = sourcesGone && state == SourceState::Absent;
            if (state == SourceState::Absent || state == SourceState::Delivered)
                continue;
            result.error = error;
            result.pendingLeft = true;
            result.storeFault = state == SourceState::StoreFault;
            result.bufferUnreadable = state == SourceState::Unreadable && source == OfflineBufferPath;
            if (state == SourceState::Unreadable && !result.bufferUnreadable)
                std::clog << "Ovix Shift-Loom: the record spool cannot be read; its records wait there\n";
            if (result.bufferUnreadable)
                std::clog << "Ovix Shift-Loom: the offline buffer c:\\data cannot be read; its records and newer"
                             " ones wait until it can\n";
            break;
        }
    }
    if (m_refragments != refragmentsBefore)
        std::clog << "Ovix Shift-Loom: " << m_refragments - refragmentsBefore
                  << " batch(es) written again after a part of them that another writer had followed\n";
    lines.insert(0, after);
    if (lines.empty()) {
        session.finish(sourcesGone);
        return Placed::Store;
    }
    auto journalled = [&result] {
        result.pendingLeft = true; // the next delivery settles them
        return Placed::Journal;
    };
    if (storeOpen && !result.pendingLeft) {
        FileError error = FileError::None;
        switch (session.appendRecords(storeDataFile, lines, error)) {
        case Session::Appended::Done:
            session.finish(sourcesGone);
            return Placed::Store;
        case Session::Appended::InJournal:
            return journalled();
        case Session::Appended::InDoubt:
            storeFailed(error);
            return Placed::Nowhere;
        case Session::Appended::Refused:
            storeFailed(error);
            break;
        }
    }
    // Newer records never go ahead of older ones: into the buffer only while the spool is empty
    // and the buffer can be read.
    if (!spoolExamined)
        spoolHolds = platform::canOpenForReading(m_files, m_spool);
    result.pendingLeft = true;
    for (const std::string_view place : {std::string_view(OfflineBufferPath), std::string_view(m_spool)}) {
        if (place == OfflineBufferPath && (storeIsBuffer || spoolHolds || result.bufferUnreadable))
            continue;
        FileError error = FileError::None;
        switch (session.appendRecords(place, lines, error)) {
        case Session::Appended::Done:
            return place == OfflineBufferPath ? Placed::Buffer : Placed::Spool;
        case Session::Appended::InJournal:
            return journalled();
        case Session::Appended::InDoubt:
            return Placed::Nowhere;
        case Session::Appended::Refused:
            break;
        }
    }
    return Placed::Nowhere;
}

} // namespace shiftloom
