#pragma once

// Loads the patches that MIDI program changes ask for, and allocates and
// frees the echo's memory, away from the audio thread, which only leaves a
// request and wakes this worker. One thread serves every instance of the
// process. It is started by the first instance
// that starts processing, never when the plug-in is loaded or an instance
// created (a host that only scans starts none), and it ends with the last
// instance, so no thread of the library outlives it.
class ProgramChangeWorker
{
public:
    // An instance the worker serves. Its calls come from the worker thread.
    class Client
    {
    public:
        virtual bool hasProgramChangeRequest() const = 0;
        // Takes the request and makes the program change; throws nothing.
        virtual void serveProgramChangeRequest() = 0;
        virtual bool hasMemoryRequest() const { return false; }
        // Allocates and frees what the audio thread asked for; throws nothing.
        virtual void serveMemoryRequest() {}

    protected:
        ~Client() = default;
    };

    // Host threads. A client is attached once it is completely built: the
    // worker may call it at once, from its own thread.
    static void attach(Client* client);
    // Waits while the worker serves the client; the last client to leave
    // stops the thread.
    static void detach(Client* client);
    // Starts the thread when it is not running.
    static void start();
    // Waits until the client's requests, if any, have been served (returns
    // at once while no thread runs).
    static void waitUntilServed(const Client* client);
    // Any thread, the audio thread included: never waits, allocates nothing
    // and takes no lock. False when no thread runs to be woken.
    static bool wake();
};
