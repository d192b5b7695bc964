#pragma once

#include <memory>
#include <string>

class HostedPlugin;
class InputScript;

struct EditorHostOptions
{
    std::string pluginPath;
    // Empty: the lines go to standard output.
    std::string logPath;
    // Editors side by side, one plug-in instance each.
    int editors = 1;
    int idleMillis = 15;
    // Stops after this long; 0 runs until the script ends or, without a
    // script, until a window is closed.
    double seconds = 0.0;
    // Off: the editors stay closed until open() (the benchmark's way).
    bool openAtStart = true;
    // No log lines at all.
    bool quiet = false;
    // Whether the instances record their host calls (a lock per call).
    bool recordCalls = true;
};

// A small VST host for editors on X11: it loads a plug-in, opens a
// top-level window of the editor's rectangle for each instance, opens the
// editor in it, calls its idle every few milliseconds, logs the host calls
// the editor makes ("host N automate 3 0.25", begin and end edit, size
// window, idle) and plays an input script through XTest, with screenshots
// and probes of pointer, cursor, focus and window geometry. While a script
// runs, the process's standard output passes through the host, so that its
// steps can wait for the plug-in's lines as for the host's own. A lost X
// server is logged ("host display lost"); the host goes on without a display.
class EditorHost
{
public:
    // Throws std::runtime_error: no display, no XTest, a plug-in that does
    // not load or has no editor.
    explicit EditorHost(const EditorHostOptions& options);
    ~EditorHost();
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    // Runs the script (or none) and closes the editors; the exit status.
    int run(const InputScript* script);

    // Instead of run(), a caller drives the editors from its own thread.
    int editorCount() const;
    HostedPlugin& plugin(int editor);
    // Raises the editor's window and opens the editor in it; whether it did.
    bool open(int editor);
    void close(int editor);
    // One idle of every open editor, then the host windows' events.
    void idle();
    // Whether the screen shows anything but the host window's black
    // background where the editor's window is.
    bool showsContent(int editor);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
