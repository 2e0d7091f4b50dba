#include "db/QueryBudget.h"

#include <sqlite3.h>

namespace ostrivo::db {

namespace {

// How often the watchdog wakes while statements run, and how long it stays awake without one.
constexpr auto kTick = std::chrono::milliseconds(5);
constexpr int kIdleTicks = 200;

}  // namespace

QueryBudget::QueryBudget() = default;

QueryBudget::~QueryBudget()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (watchdog_.joinable())
        watchdog_.join();
}

int QueryBudget::interrupted()
{
    return SQLITE_INTERRUPT;
}

std::int64_t QueryBudget::begin(std::int64_t left)
{
    if (!watchdog_.joinable())
        watchdog_ = std::thread([this] { watch(); });
    const std::int64_t before = charged_.load(std::memory_order_relaxed);
    deadline_.store(before + left, std::memory_order_relaxed);
    ++step_;
    running_.store(step_);
    // Both sides store, then read the other's flag: one of them sees that a step runs.
    if (parked_.load()) {
        {
            std::lock_guard lock(mutex_);
            parked_.store(false);
        }
        wake_.notify_one();
    }
    return before;
}

std::int64_t QueryBudget::end()
{
    ++step_;
    running_.store(step_, std::memory_order_release);
    return charged_.load(std::memory_order_acquire);
}

void QueryBudget::watch()
{
    std::unique_lock lock(mutex_);
    Clock::time_point last = Clock::now();
    int idle = 0;
    while (!stop_) {
        wake_.wait_for(lock, kTick);
        if (stop_)
            break;
        const Clock::time_point now = Clock::now();
        const std::int64_t elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count();
        last = now;
        const std::uint64_t step = running_.load();
        if (step & 1) {
            idle = 0;
            // The whole interval goes to the step found running: over many steps, each is
            // charged in proportion to its time in the engine.
            const std::int64_t charged = charged_.fetch_add(elapsed, std::memory_order_acq_rel) + elapsed;
            if (charged >= deadline_.load(std::memory_order_acquire))
                expired_.store(step, std::memory_order_relaxed);
            continue;
        }
        if (++idle < kIdleTicks)
            continue;
        parked_.store(true);
        if (running_.load() & 1) {
            parked_.store(false);
        } else {
            wake_.wait(lock, [&] { return stop_ || !parked_.load(); });
            last = Clock::now();
        }
        idle = 0;
    }
}

}  // namespace ostrivo::db
