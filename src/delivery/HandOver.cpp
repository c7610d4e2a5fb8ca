// SPDX-License-Identifier: MIT
#include "HandOver.h"

#include "app/StorePaths.h"

#include <algorithm>
#include <charconv>

namespace shiftloom::delivery {

using platform::FileError;
using platform::LockKind;
using platform::OpenFile;
using platform::OpenMode;

HandOver::HandOver(Setup setup)
    : m_setup(std::move(setup))
    , m_files(m_setup.files)
    , m_journal(m_setup.files)
{
}

FileError HandOver::begin()
{
    // Without a journal a writer's records still go to the store (only a kill in the middle of
    // their write would not be mended); waiting files wait for it (see handOver).
    if (m_journal.open(m_setup.journal, OpenMode::ReadWriteCreate) != FileError::None)
        return FileError::None;
    if (const FileError error = m_journal.lock(LockKind::Exclusive, m_setup.wait.budget, m_setup.wait.interval);
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
    // A torn last entry (a kill or power cut while it was written) is cut off, so that later
    // entries count.
    if (valid < text.size() && m_files.truncate(m_journal.handle(), valid) != FileError::None)
        m_journal.close();
    return FileError::None;
}

void HandOver::settleRecords(std::string& forStore, std::string& forWaiting)
{
    std::vector<const JournalEntry*> pending;
    for (const JournalEntry& e : m_entries) {
        if (e.kind == 'R')
            pending.clear();
        else if (e.kind == 'W' || e.kind == 'F')
            pending.push_back(&e);
    }
    for (const JournalEntry* e : pending) {
        std::size_t matched = 0;
        m_sizeProvedNothing = false;
        const Settled settled = settle(*e, &matched);
        if (settled == Settled::Busy || settled == Settled::Fault) {
            m_allSettled = false;
            continue;
        }
        const std::string_view lines = std::string_view(e->payload).substr(e->prefix);
        std::size_t arrived = settled == Settled::There ? lines.size() : 0;
        if (settled == Settled::Fragment) {
            ++m_setup.counts.refragments;
            const std::size_t whole = lines.substr(0, matched - e->prefix).rfind(kLineEnd);
            arrived = whole == std::string_view::npos ? 0 : whole + kLineEnd.size();
        }
        // The records of files stay in their files until they are wholly in the store. An entry
        // whose files that went cannot all be deleted now stays, so they never go a second time.
        if (e->kind == 'F') {
            bool namedLeft = false;
            m_allSettled = removeDelivered(*e, arrived, namedLeft) && m_allSettled;
            m_setup.counts.inDoubtWrittenAgain += m_sizeProvedNothing && namedLeft;
        } else {
            (m_setup.inStore(e->target) ? forStore : forWaiting) += lines.substr(arrived);
            m_setup.counts.inDoubtWrittenAgain += m_sizeProvedNothing;
        }
    }
    if (!m_allSettled) {
        // Their lines stay with their entries until all can be settled at once.
        forStore.clear();
        forWaiting.clear();
    } else if (!pending.empty()) {
        add(JournalEntry{.kind = 'R', .nonce = m_setup.nonce});
    }
}

platform::AppendResult HandOver::append(std::string_view target,
    std::string_view lines,
    bool lineStart,
    const std::function<FileError(const platform::AppendPlan&)>& beforeWrite)
{
    const platform::AppendOptions options{
        .marker = m_setup.inStore(target) ? kStoreMarkerName : std::string_view(), .lineStart = lineStart};
    return platform::appendLocked(m_files, target, lines, m_setup.wait, beforeWrite, options);
}

HandOver::Appended HandOver::appendRecords(std::string_view target, std::string_view lines, FileError& error)
{
    JournalEntry e{.kind = 'W', .nonce = m_setup.nonce, .target = std::string(target)};
    bool journalled = false;
    const bool lineStart = std::exchange(m_lineStartNeeded, false);
    const platform::AppendResult result = append(target, lines, lineStart, [&](const platform::AppendPlan& plan) {
        fill(e, plan, lines);
        // Without its intent the record still goes: a failing journal keeps nothing from the store.
        journalled = add(e) == FileError::None;
        return FileError::None;
    });
    error = result.error;
    Settled settled = result.ok() ? Settled::There : Settled::NotThere;
    m_sizeProvedNothing = false;
    if (!result.ok() && result.started)
        settled = settle(e);
    m_setup.counts.inDoubtWrittenAgain += settled == Settled::Doubt && m_sizeProvedNothing;
    switch (settled) {
    case Settled::There:
        retireOwn();
        error = FileError::None;
        return Appended::Done;
    case Settled::NotThere:
    case Settled::Doubt: // nothing to compare with: in doubt, the lines are copied again
        retireOwn();
        return Appended::Refused;
    default:
        m_allSettled = false; // its entry must stay until a later delivery settles it
        return journalled ? Appended::InJournal : Appended::InDoubt;
    }
}

SourceState HandOver::handOver(std::string_view source, std::string_view store, FileError& error)
{
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        OpenFile file(m_files);
        error = file.open(source, OpenMode::ReadWrite);
        if (error == FileError::NotFound || error == FileError::IsDirectory) {
            error = FileError::None;
            return SourceState::Absent;
        }
        if (error == FileError::None && !m_journal.isOpen()) {
            // Without the journal a hand-over cut short would copy lines again: it waits.
            error = FileError::Io;
            return SourceState::Waiting;
        }
        if (error != FileError::None)
            return error == FileError::Busy ? SourceState::Waiting : SourceState::Unreadable;
        if (error = file.lock(LockKind::Exclusive, m_setup.wait.budget, m_setup.wait.interval);
            error != FileError::None)
            return error == FileError::Busy ? SourceState::Waiting : SourceState::Unreadable;
        // Another delivery handed it over and deleted it while we waited for its lock.
        if (m_files.detached(file.handle(), source))
            continue;
        std::string content;
        std::string id;
        if (error = platform::readAll(m_files, file.handle(), content); error != FileError::None)
            return SourceState::Unreadable;
        if (error = m_files.identity(file.handle(), id); error != FileError::None)
            return SourceState::Unreadable;

        std::uint64_t from = 0;
        if (const std::optional<JournalEntry> last = lastEntryOf(source, id, content)) {
            if (m_files.sameFile(last->target, store)) {
                std::size_t matched = 0;
                m_sizeProvedNothing = false;
                const Settled settled = settle(*last, &matched);
                m_setup.counts.inDoubtWrittenAgain += settled == Settled::Doubt && m_sizeProvedNothing;
                switch (settled) {
                case Settled::There:
                    from = last->upto;
                    break;
                case Settled::Fragment:
                    // The lines wholly there stay; the torn one and those after it go again.
                    ++m_setup.counts.refragments;
                    from = afterWholeLines(content, *last, matched);
                    break;
                case Settled::NotThere:
                case Settled::Doubt:
                    // Not there, or in doubt (the file was replaced meanwhile, or it cannot be read
                    // and its size proves nothing): the batch goes again. The batches before it
                    // arrived: each was flushed before the next one's intent was written.
                    from = last->from;
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
            while (end < content.size() && end - at < m_setup.batchBytes) {
                const std::size_t newline = content.find('\n', end);
                end = newline == std::string::npos ? content.size() : newline + 1;
            }
            const std::string lines = storeLines(std::string_view(content).substr(at, end - at));
            const std::uint64_t batchHash = hashOn(hash, std::string_view(content).substr(at, end - at));
            JournalEntry e{.kind = 'S',
                .nonce = m_setup.nonce,
                .target = std::string(store),
                .source = std::string(source),
                .sourceId = id,
                .from = at,
                .upto = end,
                .sourceHash = batchHash};
            const bool lineStart = std::exchange(m_lineStartNeeded, false);
            const platform::AppendResult result =
                append(store, lines, lineStart, [&](const platform::AppendPlan& plan) {
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
        add(JournalEntry{.kind = 'S',
            .nonce = m_setup.nonce,
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

namespace {

/** One file of an 'F' entry. */
struct NamedFile
{
    std::string_view name;
    std::string_view identity;
    std::uint64_t bytes = 0;
};

std::vector<NamedFile> filesOf(std::string_view list)
{
    std::vector<NamedFile> files;
    while (!list.empty()) {
        const std::string_view item = list.substr(0, list.find('|'));
        list.remove_prefix(std::min(list.size(), item.size() + 1));
        const std::size_t first = item.find('=');
        const std::size_t second = item.rfind('=');
        if (first == std::string_view::npos || second == first)
            return {};
        NamedFile file{item.substr(0, first), item.substr(first + 1, second - first - 1)};
        const std::string_view bytes = item.substr(second + 1);
        const auto parsed = std::from_chars(bytes.data(), bytes.data() + bytes.size(), file.bytes);
        if (parsed.ec != std::errc{} || parsed.ptr != bytes.data() + bytes.size())
            return {};
        files.push_back(file);
    }
    return files;
}

} // namespace

bool HandOver::removeDelivered(const JournalEntry& e, std::size_t arrived, bool& namedLeft)
{
    bool allGone = true;
    namedLeft = false;
    std::uint64_t end = 0;
    for (const NamedFile& named : filesOf(e.source)) {
        end += named.bytes;
        if (end > arrived) {
            // Not wholly in the store: it stays, and goes (again) with the next hand-over.
            namedLeft =
                namedLeft || platform::canOpenForReading(m_files, m_setup.filesFolder + "\\" + std::string(named.name));
            continue;
        }
        // Only the very file the entry names: a file of the same name made since is another's.
        const std::string path = m_setup.filesFolder + "\\" + std::string(named.name);
        OpenFile file(m_files);
        std::string id;
        const FileError opened = file.open(path, OpenMode::Read);
        if (opened == FileError::NotFound)
            continue;
        if (opened != FileError::None || m_files.identity(file.handle(), id) != FileError::None) {
            allGone = false; // there, but not to be looked at now (a scanner may hold it)
            continue;
        }
        file.close();
        allGone = (id != named.identity || m_files.remove(path) == FileError::None) && allGone;
    }
    return allGone;
}

SourceState HandOver::handOverFiles(
    const std::vector<std::string>& paths, std::string_view store, std::size_t& removed, FileError& error)
{
    removed = 0;
    error = FileError::None;
    if (!m_journal.isOpen()) {
        error = FileError::Io; // without the journal a batch cut short would go twice: they wait
        return paths.empty() ? SourceState::Absent : SourceState::Waiting;
    }
    for (std::size_t next = 0; next < paths.size();) {
        JournalEntry e{.kind = 'F', .nonce = m_setup.nonce, .target = std::string(store)};
        std::string lines;
        std::vector<std::string> batch;
        for (; next < paths.size() && lines.size() < m_setup.batchBytes; ++next) {
            OpenFile file(m_files);
            std::string content;
            std::string id;
            if (file.open(paths[next], OpenMode::Read) != FileError::None
                || platform::readAll(m_files, file.handle(), content) != FileError::None
                || m_files.identity(file.handle(), id) != FileError::None) {
                if (batch.empty())
                    return error = FileError::Io, SourceState::Unreadable;
                break; // the batch goes without it; the next one begins with it
            }
            const std::string records = storeLines(content);
            const std::string_view name = std::string_view(paths[next]).substr(paths[next].rfind('\\') + 1);
            e.source +=
                (batch.empty() ? "" : "|") + std::string(name) + "=" + id + "=" + std::to_string(records.size());
            lines += records;
            batch.push_back(paths[next]);
        }
        const bool lineStart = std::exchange(m_lineStartNeeded, false);
        const platform::AppendResult result = append(store, lines, lineStart, [&](const platform::AppendPlan& plan) {
            fill(e, plan, lines);
            return add(e);
        });
        if (!result.ok() && (!result.started || settle(e) != Settled::There)) {
            error = result.error;
            m_allSettled = m_allSettled && !result.started; // a write begun is the journal's now
            return error == FileError::Busy ? SourceState::Waiting : SourceState::StoreFault;
        }
        for (const std::string& path : batch)
            removed += m_files.remove(path) == FileError::None;
    }
    return removed == paths.size() ? SourceState::Absent : SourceState::Delivered;
}

void HandOver::finish(bool sourcesGone)
{
    if (sourcesGone && m_allSettled && m_journal.isOpen() && !m_entries.empty()
        && m_files.truncate(m_journal.handle(), 0) == FileError::None)
        m_entries.clear();
}

std::uint64_t HandOver::afterWholeLines(const std::string& content, const JournalEntry& e, std::size_t matched)
{
    // The first `matched` bytes of the batch's payload (its line end first, then its lines, each
    // ended by CR LF) match the store: where in `content` do the lines wholly there end?
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

void HandOver::fill(JournalEntry& e, const platform::AppendPlan& plan, std::string_view lines)
{
    e.targetId = plan.identity;
    e.offset = plan.sizeBefore;
    e.prefix = plan.prefix.size();
    e.payload.assign(plan.prefix);
    e.payload += lines;
}

FileError HandOver::add(const JournalEntry& e)
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

void HandOver::retireOwn()
{
    if (!m_allSettled || !m_journal.isOpen())
        return;
    const bool sourcesNamed =
        std::any_of(m_entries.begin(), m_entries.end(), [](const JournalEntry& e) { return e.kind == 'S'; });
    if (!sourcesNamed) {
        if (m_files.truncate(m_journal.handle(), 0) == FileError::None)
            m_entries.clear();
        return;
    }
    add(JournalEntry{.kind = 'R', .nonce = m_setup.nonce});
}

std::optional<JournalEntry> HandOver::lastEntryOf(
    std::string_view source, const std::string& id, const std::string& content) const
{
    // The journal's last word on `source`, when it is about this very file: same identity, and
    // the bytes it had delivered are still its first bytes. Anything else is no ground to skip a line.
    for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e) {
        if (e->kind != 'S' || e->source != source)
            continue;
        const std::string_view bytes(content);
        if (id.empty() || e->sourceId != id || e->upto > bytes.size() || e->from > e->upto
            || hashOn(kHashBasis, bytes.substr(0, e->upto)) != e->sourceHash)
            return std::nullopt;
        // What was written: the line end before the batch, then its lines.
        JournalEntry batch = *e;
        batch.payload = std::string(kLineEnd.substr(kLineEnd.size() - static_cast<std::size_t>(e->prefix)));
        batch.payload += storeLines(bytes.substr(e->from, e->upto - e->from));
        return batch;
    }
    return std::nullopt;
}

HandOver::Settled HandOver::settle(const JournalEntry& e, std::size_t* matched)
{
    if (e.payload.empty())
        return Settled::There; // nothing was to be written
    OpenFile file(m_files);
    bool readable = true;
    const FileError error = platform::openLockedForAppend(
        file, e.target, m_setup.wait, readable, m_setup.inStore(e.target) ? kStoreMarkerName : std::string_view());
    if (error == FileError::Busy)
        return Settled::Busy;
    if (error == FileError::NotFound || error == FileError::IsDirectory)
        return Settled::Doubt; // the file is gone: nothing to compare with
    if (error != FileError::None)
        return Settled::Fault;
    std::string id;
    std::uint64_t size = 0;
    if (m_files.identity(file.handle(), id) != FileError::None || m_files.size(file.handle(), size) != FileError::None)
        return Settled::Fault;
    if (id != e.targetId || size < e.offset)
        return Settled::Doubt;
    const std::size_t length = e.payload.size();
    if (!readable) {
        // Appended to but not read: only the size, taken under the lock, can tell. Nothing after
        // the offset: nothing arrived. Exactly the write's length after it: taken as arrived (the
        // writer held the lock from before its write to after its flush). Anything else cannot be
        // told: the batch goes again, on a line of its own.
        if (size == e.offset)
            return Settled::NotThere;
        if (size - e.offset == length) {
            ++m_setup.counts.presumedWhole;
            return Settled::There;
        }
        m_sizeProvedNothing = true; // counted where the write is made again
        m_lineStartNeeded = size - e.offset < length;
        return Settled::Doubt;
    }
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - e.offset));
    std::string there(available, '\0');
    std::size_t got = 0;
    if (m_files.readAt(file.handle(), e.offset, there.data(), available, got) != FileError::None)
        return Settled::Fault;
    if (got != available)
        return Settled::Doubt;
    const std::size_t same =
        static_cast<std::size_t>(std::mismatch(there.begin(), there.end(), e.payload.begin()).first - there.begin());
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

} // namespace shiftloom::delivery
