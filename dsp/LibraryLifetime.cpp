#include "dsp/LibraryLifetime.h"

#include <mutex>

namespace
{
struct Registered
{
    LibraryLifetime::Action action;
    void* context;
};

// Room for every process-wide object of the library; one beyond it is never
// released, as if the library were never unloaded.
constexpr int kMostActions = 64;

// All of it constant-initialised and trivially destroyed: there from the
// first static constructor of the library to the last close.
std::mutex mutex;
Registered releases[kMostActions];
int releaseCount = 0;
Registered exitActions[kMostActions];
int exitCount = 0;
int openInstances = 0;
// The library's exit came while instances were open.
bool exited = false;

void add(Registered* table, int& count, LibraryLifetime::Action action, void* context)
{
    if (count < kMostActions)
        table[count++] = Registered{action, context};
}

// Taken under the lock, run without it: an action may join a thread that
// makes a process-wide object meanwhile.
void run(Registered* table, int& count, std::unique_lock<std::mutex>& lock)
{
    Registered taken[kMostActions];
    const int taking = count;
    for (int i = 0; i < taking; ++i)
        taken[i] = table[i];
    count = 0;
    lock.unlock();
    for (int i = taking; i-- > 0;)
        taken[i].action(taken[i].context);
    lock.lock();
}

// The library's exit: at its unload, or the process's end.
struct ExitHandler
{
    ~ExitHandler()
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (openInstances > 0)
        {
            exited = true;
            run(exitActions, exitCount, lock);
            return;
        }
        run(releases, releaseCount, lock);
    }
};

} // namespace

void LibraryLifetime::open()
{
    // Made with the first instance, after every static object the library
    // (Loki's and the standard library's included) makes as it loads, so
    // that it runs before their exit handlers. A process that opens none
    // keeps what it made to its end.
    static ExitHandler handler;
    std::lock_guard<std::mutex> lock(mutex);
    ++openInstances;
}

void LibraryLifetime::close()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (--openInstances > 0 || !exited)
        return;
    run(releases, releaseCount, lock);
}

void LibraryLifetime::atRelease(Action action, void* context)
{
    std::lock_guard<std::mutex> lock(mutex);
    add(releases, releaseCount, action, context);
}

void LibraryLifetime::atExitWhileOpen(Action action, void* context)
{
    std::lock_guard<std::mutex> lock(mutex);
    add(exitActions, exitCount, action, context);
}

int LibraryLifetime::openCount()
{
    std::lock_guard<std::mutex> lock(mutex);
    return openInstances;
}
