#include "Source/ProgramChangeWorker.h"

#include "dsp/Lasting.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <pthread.h>
#include <semaphore.h>

namespace
{
class Worker
{
public:
    Worker() { sem_init(&m_wake, 0, 0); }

    // When the library goes, with a thread left by a client never detached.
    ~Worker()
    {
        stop();
        sem_destroy(&m_wake);
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void attach(ProgramChangeWorker::Client* client)
    {
        std::lock_guard<std::mutex> lifecycle(m_lifecycle);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
            m_clients.push_back(client);
    }

    void detach(ProgramChangeWorker::Client* client)
    {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_served.wait(lock, [&] { return m_busy != client; });
            m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
            if (!m_clients.empty())
                return;
        }
        std::lock_guard<std::mutex> lifecycle(m_lifecycle);
        {
            // Another instance may have come meanwhile.
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_clients.empty())
                return;
        }
        stopLocked();
    }

    void start()
    {
        std::lock_guard<std::mutex> lifecycle(m_lifecycle);
        if (m_thread.joinable())
            return;
        try
        {
            m_thread = std::thread(&Worker::run, this);
        }
        catch (const std::system_error&)
        {
            // Without a thread program changes wait in their slots.
            return;
        }
        // Named here rather than by the thread itself, so that it carries
        // its name from the moment start returns, however late it first runs.
        // A name lets a user (and our tests) tell it from the host's threads.
        pthread_setname_np(m_thread.native_handle(), "zentrova-pc");
        m_running.store(true, std::memory_order_release);
        // Requests left before the thread ran.
        sem_post(&m_wake);
    }

    void waitUntilServed(const ProgramChangeWorker::Client* client)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_served.wait(lock, [&] {
            return !m_running.load(std::memory_order_acquire) || m_stopping ||
                   (m_busy != client && !client->hasProgramChangeRequest() && !client->hasMemoryRequest());
        });
    }

    bool wake()
    {
        if (!m_running.load(std::memory_order_acquire))
            return false;
        sem_post(&m_wake);
        return true;
    }

private:
    void stop()
    {
        std::lock_guard<std::mutex> lifecycle(m_lifecycle);
        stopLocked();
    }

    void stopLocked()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        sem_post(&m_wake);
        m_thread.join();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running.store(false, std::memory_order_release);
        m_stopping = false;
        // Wake-ups nobody was left to take.
        while (sem_trywait(&m_wake) == 0)
        {
        }
        m_served.notify_all();
    }

    void run()
    {
        for (;;)
        {
            while (sem_wait(&m_wake) != 0 && errno == EINTR)
            {
            }
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_stopping)
                return;
            serveAll(lock);
        }
    }

    // Serves the clients in turn until none has a request left.
    void serveAll(std::unique_lock<std::mutex>& lock)
    {
        std::size_t next = 0;
        for (std::size_t unserved = 0; unserved < m_clients.size() && !m_stopping; ++unserved, ++next)
        {
            ProgramChangeWorker::Client* client = m_clients[next % m_clients.size()];
            const bool memory = client->hasMemoryRequest();
            const bool programChange = client->hasProgramChangeRequest();
            if (!memory && !programChange)
                continue;
            m_busy = client;
            lock.unlock();
            // Memory first: it is quick, and a delay waits for it.
            if (memory)
                client->serveMemoryRequest();
            if (programChange)
                client->serveProgramChangeRequest();
            lock.lock();
            m_busy = nullptr;
            m_served.notify_all();
            // The list may have changed meanwhile: every client is looked at
            // again.
            unserved = static_cast<std::size_t>(-1);
        }
    }

    sem_t m_wake;
    std::atomic<bool> m_running{false};
    // Held across starting and stopping the thread; never by the thread, nor
    // while waiting for it to serve a client.
    std::mutex m_lifecycle;
    // Guards the client list, the busy client and the stop flag.
    std::mutex m_mutex;
    std::condition_variable m_served;
    std::vector<ProgramChangeWorker::Client*> m_clients;
    const ProgramChangeWorker::Client* m_busy = nullptr;
    bool m_stopping = false;
    std::thread m_thread;
};

// Built when the library loads, so that the audio thread's first wake never
// constructs it, and kept while an instance may still detach.
Lasting<Worker> worker;
} // namespace

void ProgramChangeWorker::attach(Client* client)
{
    worker->attach(client);
}

void ProgramChangeWorker::detach(Client* client)
{
    worker->detach(client);
}

void ProgramChangeWorker::start()
{
    worker->start();
}

void ProgramChangeWorker::waitUntilServed(const Client* client)
{
    worker->waitUntilServed(client);
}

bool ProgramChangeWorker::wake()
{
    return worker->wake();
}
