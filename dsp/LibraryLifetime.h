#pragma once

// When the library's process-wide objects go. A host may close its instances
// from a static destructor of its own, which runs after the library's exit
// handlers: the objects an instance uses must still be there then. So while
// an instance is open the library's exit releases nothing (it runs only what
// must not wait for a close that may never come, such as saving the
// configuration), and the close of the last instance releases everything
// afterwards. Unloaded, or ending, with no instance open, the library
// releases everything at once. Nothing here needs destruction itself, and
// nothing goes through std::atexit, whose handlers a sanitizer's runtime may
// run after the library is gone. Any thread.
class LibraryLifetime
{
public:
    using Action = void (*)(void* context);

    // An instance holds one for its whole life.
    class Hold
    {
    public:
        Hold() { open(); }
        ~Hold() { close(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };

    static void open();
    static void close();

    // Runs once, when the library goes (above); the last registered runs
    // first.
    static void atRelease(Action action, void* context);
    // Runs when the library is unloaded, or the process ends, while an
    // instance is still open.
    static void atExitWhileOpen(Action action, void* context);

    // Instances open now (for tests).
    static int openCount();
};
