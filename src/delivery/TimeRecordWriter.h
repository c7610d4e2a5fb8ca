// SPDX-License-Identifier: MIT
#pragma once

#include "delivery/Delivery.h"
#include "platform/FileIo.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace shiftloom {

/** Where a record is when `TimeRecordWriter::write` returns. */
enum class RecordPlace
{
    Store, ///< in the data file of the store (a writer that delivers at once only)
    Buffer, ///< on this computer's disk (the offline buffer, or the journal of a write cut short); the
            ///< delivery takes it to the store
    Held, ///< nowhere on the disk yet: the buffer refused it; kept in memory and tried again
};

/** What the writer last learnt of the data store. */
enum class StoreState
{
    Unknown, ///< not tried yet
    Takes,
    Busy,
    Away,
};

/**
 * Writes time records so that each reaches the data file `data` of the data store exactly once,
 * in the order made, and is never only in memory while a place on the disk takes it:
 *  - `write` puts the record into the offline buffer (one file per record in the user's own
 *    folder, forced to the disk) on the caller's thread, which needs no lock and no network;
 *  - the delivery takes the buffer's files to the store in order, under the store's whole-file
 *    lock and the journal's intents (see `delivery::Delivery`), at once and again while records
 *    wait or the store is away: after 1 s, 2 s, 4 s and so on up to every 30 s;
 *  - with `Mode::Background` every delivery and every `post`ed task runs on a thread of its own,
 *    so that a share that takes a minute to answer never stops the caller; with `Mode::Inline`
 *    they run on the caller's thread at once (tests, tools and the reliability drivers).
 * A record the buffer refuses is held in memory and given to the buffer, or straight to the
 * store, at the next try; newer records wait behind it.
 */
class TimeRecordWriter final
{
public:
    enum class Mode
    {
        Inline,
        Background,
    };
    using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TimeRecordWriter(
        platform::FileOps& files, Mode mode = Mode::Inline, platform::LockWait wait = {}, SteadyClock steadyClock = [] {
            return std::chrono::steady_clock::now();
        });
    /** Ends the delivery thread; one that a share holds longer than a moment ends the process. */
    ~TimeRecordWriter();
    TimeRecordWriter(const TimeRecordWriter&) = delete;
    TimeRecordWriter& operator=(const TimeRecordWriter&) = delete;

    /** The store's folder (the data folder found at start-up); a delivery starts at once. */
    void setStore(std::string folder);
    /** Writes one record line (without its line end). */
    RecordPlace write(std::string_view line);
    /** The clock tick: with `Mode::Inline`, runs the delivery when one is due. */
    void poll();
    /**
     * Waits until nothing waits to be delivered, or until `deadline` (wall-clock time; a
     * delivery that a share holds is not waited for beyond it). True when nothing waits.
     */
    bool settle(std::chrono::steady_clock::time_point deadline);
    /** Waits, up to `deadline`, until the first delivery since `setStore` has ended. */
    void awaitFirstAnswer(std::chrono::steady_clock::time_point deadline);

    /** Runs `task` where the store's files are read (on the delivery thread, after what is queued). */
    void post(std::function<void()> task);
    /** Called on the delivery thread after each delivery and task, to wake the window's thread. */
    void setWake(std::function<void()> wake);

    StoreState storeState() const { return m_storeState.load(); }
    /** Why the store did not take records at the last delivery (None when it did). */
    platform::FileError storeError() const { return m_storeError.load(); }
    /** True while records wait (in the buffer or in memory) as far as this writer knows. */
    bool pending() const;
    std::size_t heldCount() const;
    delivery::DeliveryCounts counts() const;
    void setBatchBytes(std::size_t bytes) { m_delivery.setBatchBytes(bytes); }

private:
    void deliverIfDue(bool force);
    void deliver();
    void runTasks();
    void loop();
    bool due() const;

    platform::FileOps& m_files;
    Mode m_mode;
    SteadyClock m_now;
    std::uint64_t m_nonce;
    delivery::DeliveryCounts m_counts; ///< the delivery's own, on its thread
    delivery::DeliveryCounts m_countsSeen; ///< a copy after each delivery, under the mutex
    delivery::Delivery m_delivery;
    delivery::RecordBuffer m_buffer;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_store;
    std::string m_held; ///< whole lines with CR LF, oldest first
    std::deque<std::function<void()>> m_tasks;
    std::function<void()> m_wake;
    bool m_pending = true; ///< the buffer may hold records (unknown before the first delivery)
    bool m_kicked = false;
    bool m_delivering = false;
    bool m_stop = false;
    std::uint64_t m_rounds = 0;
    std::chrono::steady_clock::time_point m_nextTry{};
    std::chrono::seconds m_backOff{1};
    std::atomic<StoreState> m_storeState{StoreState::Unknown};
    std::atomic<platform::FileError> m_storeError{platform::FileError::None};
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
};

} // namespace shiftloom
