#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace ostrivo::db {

// Holds the record sets of one engine connection to the query time limit, whatever a row costs.
//
// A watchdog thread wakes every few milliseconds while statements run and charges the time since
// its last wake to the step in the engine at that moment: over many short steps that adds up to
// the time spent in the engine, and a long step is charged as it runs. No clock is read on the way
// to a row. When a step has used what its record set had left, the watchdog marks it expired and
// the engine's progress handler, asked every few virtual-machine steps, stops it
// (SQLITE_INTERRUPT): at the next row, however slow each row is to compute. (sqlite3_interrupt
// would stop the connection's other open record sets as well, until all of them end.)
class QueryBudget {
public:
    // The time one record set has spent in the engine, over all its steps.
    struct Account {
        std::int64_t spentNs = 0;
    };

    // Virtual-machine steps between two questions of the progress handler: rows of a few steps
    // each are asked about one by one.
    static constexpr int kProgressSteps = 4;

    QueryBudget();
    ~QueryBudget();
    QueryBudget(const QueryBudget&) = delete;
    QueryBudget& operator=(const QueryBudget&) = delete;

    // Runs step (what steps the engine) for account: returns its result, or SQLITE_INTERRUPT
    // when the account reaches limit, during the step or before it.
    template <typename Step>
    int run(Account& account, std::chrono::milliseconds limit, Step&& step)
    {
        const std::int64_t limitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(limit).count();
        if (account.spentNs >= limitNs)
            return interrupted();
        const std::int64_t before = begin(limitNs - account.spentNs);
        const int rc = step();
        account.spentNs += end() - before;
        return account.spentNs >= limitNs ? interrupted() : rc;
    }

    // For the progress handler: true when the step running has used up its time.
    bool expired() const { return (step_ & 1) && expired_.load(std::memory_order_relaxed) == step_; }

private:
    using Clock = std::chrono::steady_clock;
    static int interrupted();
    // Starts a step that may take `left` more nanoseconds; returns the time charged so far.
    std::int64_t begin(std::int64_t left);
    // Ends it; returns the time charged so far.
    std::int64_t end();
    void watch();

    std::uint64_t step_ = 0;               // odd while a step runs; the main thread's copy
    std::atomic<std::uint64_t> running_{0};  // step_, published to the watchdog
    std::atomic<std::uint64_t> expired_{0};  // the step the watchdog found over its time
    std::atomic<std::int64_t> charged_{0};   // nanoseconds charged to steps, all together
    std::atomic<std::int64_t> deadline_{0};  // charged_ at which the running step expires
    std::atomic<bool> parked_{false};        // the watchdog sleeps until the next step

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread watchdog_;
};

}  // namespace ostrivo::db
