// SPDX-License-Identifier: MIT
#include "TimeRecordWriter.h"

#include "platform/Process.h"

#include <cstdio>
#include <random>

namespace shiftloom {

using namespace std::chrono_literals;
using platform::FileError;

namespace {

constexpr std::chrono::seconds kLongestPause{30};
/** How long the end of the writer waits for a delivery that a share holds. */
constexpr std::chrono::milliseconds kStopWait{1500};
constexpr std::chrono::milliseconds kRetryInterval{100};

std::uint64_t makeNonce()
{
    std::random_device random;
    return random() ^ (static_cast<std::uint64_t>(random()) << 32)
        ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

StoreState stateOf(delivery::StoreAnswer answer)
{
    switch (answer) {
    case delivery::StoreAnswer::Takes:
        return StoreState::Takes;
    case delivery::StoreAnswer::Busy:
        return StoreState::Busy;
    case delivery::StoreAnswer::Away:
        break;
    }
    return StoreState::Away;
}

} // namespace

TimeRecordWriter::TimeRecordWriter(
    platform::FileOps& files, Mode mode, platform::LockWait wait, SteadyClock steadyClock)
    : m_files(files)
    , m_mode(mode)
    , m_now(std::move(steadyClock))
    , m_nonce(makeNonce())
    , m_delivery(files, wait, m_nonce, m_counts)
    , m_buffer(files, m_nonce)
{
    if (m_mode == Mode::Background)
        m_thread = std::thread([this] { loop(); });
}

TimeRecordWriter::~TimeRecordWriter()
{
    if (!m_thread.joinable())
        return;
    std::unique_lock lock(m_mutex);
    m_stop = true;
    m_changed.notify_all();
    if (!m_changed.wait_for(lock, kStopWait, [this] { return m_finished.load(); })) {
        // A share that does not answer keeps no process alive: every record is on the disk, in
        // the store or the buffer, and the system lets go of the locks.
        std::fputs("Ovix Shift-Loom: the data store does not answer; records wait in the offline buffer\n", stderr);
        platform::endProcessNow(0);
    }
    lock.unlock();
    m_thread.join();
}

void TimeRecordWriter::setStore(std::string folder)
{
    {
        const std::lock_guard lock(m_mutex);
        m_store = std::move(folder);
        m_kicked = true;
        m_storeState = StoreState::Unknown;
    }
    m_changed.notify_all();
    if (m_mode == Mode::Inline)
        deliverIfDue(true);
}

RecordPlace TimeRecordWriter::write(std::string_view line)
{
    std::string record(line);
    record += "\r\n";
    RecordPlace place = RecordPlace::Held;
    bool behindHeld = false;
    {
        const std::lock_guard lock(m_mutex);
        behindHeld = !m_held.empty();
        if (behindHeld)
            m_held += record; // newer records wait behind held ones, so that the order holds
    }
    // A record the buffer takes is on the disk before the panel goes on; no lock, no network.
    if (!behindHeld && m_buffer.put(record) == FileError::None)
        place = RecordPlace::Buffer;
    {
        const std::lock_guard lock(m_mutex);
        if (!behindHeld && place == RecordPlace::Held)
            m_held += record;
        m_pending = true;
        m_kicked = true;
    }
    m_changed.notify_all();
    if (m_mode == Mode::Inline) {
        deliverIfDue(true);
        const std::lock_guard lock(m_mutex);
        if (!m_pending)
            return RecordPlace::Store;
        if (m_held.empty())
            return RecordPlace::Buffer;
    }
    return place;
}

void TimeRecordWriter::poll()
{
    if (m_mode == Mode::Inline)
        deliverIfDue(false);
}

bool TimeRecordWriter::due() const
{
    return !m_store.empty()
        && (m_kicked || ((m_pending || m_storeState.load() != StoreState::Takes) && m_now() >= m_nextTry));
}

void TimeRecordWriter::deliverIfDue(bool force)
{
    runTasks();
    bool run = false;
    {
        const std::lock_guard lock(m_mutex);
        run = !m_store.empty() && (force || due());
    }
    if (run)
        deliver();
}

void TimeRecordWriter::deliver()
{
    std::string store;
    std::string held;
    bool kicked = false;
    {
        const std::lock_guard lock(m_mutex);
        store = m_store;
        held = m_held;
        kicked = std::exchange(m_kicked, false);
        m_delivering = true;
    }
    std::string left = held;
    const delivery::RoundResult result = m_delivery.run(store, m_buffer, left);
    std::function<void()> wake;
    {
        const std::lock_guard lock(m_mutex);
        // Records written meanwhile stay behind those that went.
        m_held.erase(0, held.size() - left.size());
        m_storeState = stateOf(result.store);
        m_storeError = result.error;
        m_pending = result.waiting || !m_held.empty();
        if (m_pending || result.store != delivery::StoreAnswer::Takes) {
            // A delivery that a new record asked for does not lengthen the pause between tries.
            m_nextTry = m_now() + m_backOff;
            if (!kicked)
                m_backOff = std::min(m_backOff * 2, kLongestPause);
        } else {
            m_backOff = 1s;
        }
        m_delivering = false;
        m_countsSeen = m_counts;
        ++m_rounds;
        wake = m_wake;
    }
    m_changed.notify_all();
    if (wake)
        wake();
}

void TimeRecordWriter::runTasks()
{
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(m_mutex);
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

void TimeRecordWriter::loop()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (!m_tasks.empty()) {
            lock.unlock();
            runTasks();
            lock.lock();
            if (m_wake) {
                const std::function<void()> wake = m_wake;
                lock.unlock();
                wake();
                lock.lock();
            }
            continue;
        }
        if (due()) {
            lock.unlock();
            deliver();
            lock.lock();
            continue;
        }
        if (!m_store.empty() && (m_pending || m_storeState.load() != StoreState::Takes))
            m_changed.wait_until(lock, m_nextTry);
        else
            m_changed.wait(lock);
    }
    m_finished = true;
    m_changed.notify_all();
}

bool TimeRecordWriter::settle(std::chrono::steady_clock::time_point deadline)
{
    if (m_mode == Mode::Inline) {
        // The deadline is wall-clock time; the count of tries keeps a clock that a test stops
        // from turning this into a loop.
        const auto tries = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_now()) / kRetryInterval;
        deliverIfDue(true);
        for (auto i = 0; pending() && i < tries && m_now() < deadline; ++i) {
            m_files.pause(kRetryInterval);
            deliverIfDue(true);
        }
        return !pending();
    }
    std::unique_lock lock(m_mutex);
    m_kicked = true;
    m_changed.notify_all();
    m_changed.wait_until(lock, deadline, [this] { return !m_pending && !m_kicked && !m_delivering; });
    return !m_pending;
}

void TimeRecordWriter::awaitFirstAnswer(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_until(lock, deadline, [this] { return m_storeState.load() != StoreState::Unknown; });
}

void TimeRecordWriter::post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_changed.notify_all();
    if (m_mode == Mode::Inline)
        runTasks();
}

void TimeRecordWriter::setWake(std::function<void()> wake)
{
    const std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}

bool TimeRecordWriter::pending() const
{
    const std::lock_guard lock(m_mutex);
    return m_pending || !m_held.empty();
}

std::size_t TimeRecordWriter::heldCount() const
{
    const std::lock_guard lock(m_mutex);
    std::size_t lines = 0;
    for (std::size_t at = m_held.find('\n'); at != std::string::npos; at = m_held.find('\n', at + 1))
        ++lines;
    return lines;
}

delivery::DeliveryCounts TimeRecordWriter::counts() const
{
    const std::lock_guard lock(m_mutex);
    return m_countsSeen;
}

} // namespace shiftloom
