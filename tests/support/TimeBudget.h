#pragma once

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

// Time bounds in tests are written for an optimised build; sanitizers and
// unoptimised builds run the same work several times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(NDEBUG)
constexpr double kTimeBudgetScale = 8.0;
#else
constexpr double kTimeBudgetScale = 1.0;
#endif

// Runs work on the calling thread for a test of something that must never
// wait. Should work still run after bound (scaled as above; far beyond any
// machine's pace, so only a wait without end reaches it), a watchdog calls
// unblock, so that the work can end and the test fail instead of hanging.
// Whether work ended without the watchdog's help.
template <class Work, class Unblock>
bool endsUnaided(Work work, Unblock unblock, std::chrono::seconds bound = std::chrono::seconds(10))
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool helped = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (ended.wait_for(lock, bound * kTimeBudgetScale, [&] { return done; }))
            return;
        helped = true;
        lock.unlock();
        unblock();
    });
    work();
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    ended.notify_all();
    watchdog.join();
    return !helped;
}

// The calling thread's CPU time: what a piece of work costs, whatever else
// the machine runs beside it.
inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
