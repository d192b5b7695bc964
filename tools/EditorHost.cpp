#include "tools/EditorHost.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/HostedPlugin.h"
#include "tools/InputScript.h"

namespace
{
constexpr int kWindowGap = 40;
constexpr int kDefaultWidth = 400;
constexpr int kDefaultHeight = 300;
// After a key had to be mapped for typing, an editor that cannot be asked
// whether it took the key (its window destroyed) gets this long before the
// next mapping.
constexpr int kRemapPauseMillis = 40;
// A request the editors' thread has not served within this long finds it
// inside a loop of an editor's own (a pop-up menu), which is then ended.
constexpr int kNestedLoopMillis = 250;
// After --seconds, how long the editors' thread gets to come back from an
// editor before the host gives up on it.
constexpr int kGiveUpMillis = 5000;
// How long a "waitfor", "settle" or "waitpopup" step waits for its state.
constexpr int kWaitForMillis = 20000;
// The idles an editor runs in a settle after it took its input: what a
// handler leaves to the next idle (a job of the patch browser takes two)
// is drawn by then.
constexpr int kSettleIdles = 3;
// Nothing tells when an editor whose window the host destroyed has taken
// its events: it gets this many idles, each taking at least one.
constexpr int kBlindSettleIdles = 20;
// Under a loop of an editor's own (a menu, a dialog) its idles are its
// own, every few milliseconds, and uncounted: a settle asks this many times
// more, this far apart, so that the loop runs one between the questions.
constexpr int kLoopSettleQuestions = 2;
constexpr int kLoopSettleGapMillis = 30;
// Starts the host's own lines in the pipe that standard output goes
// through while a script runs, to tell them from the plug-in's.
constexpr char kHostLineMark = '\x1e';

std::uint64_t nowMillis()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// The settle steps' questions to the editors, by the request that sent
// each; one whose window went meanwhile comes back as an error, expected
// rather than a fault. Only the script's thread reads its connection, so
// only it touches these but the display.
struct Sentinels
{
    std::atomic<Display*> display{nullptr};
    std::map<unsigned long, Time> bySerial;
    std::set<Time> lost;
};
Sentinels sentinels;

// Errors of our own calls; the editor traps its own, so anything printed
// here is a fault somewhere.
int printError(Display* display, XErrorEvent* error)
{
    if (display == sentinels.display.load())
    {
        const auto sent = sentinels.bySerial.find(error->serial);
        if (sent != sentinels.bySerial.end())
        {
            sentinels.lost.insert(sent->second);
            return 0;
        }
    }
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d, resource 0x%lx)\n", text, error->request_code,
                 error->minor_code, error->resourceid);
    return 0;
}

// A lost X server ends none of the host's own connections' users: the
// host notes it and goes on without a display, playing and closing its
// editors. Any other connection's loss (an editor's, outside its own
// handlers) is left to Xlib's default, as a plain host would.
std::atomic<bool> displayLost{false};
std::atomic<Display*> hostDisplays[3] = {};
XIOErrorHandler defaultIOError = nullptr;

void hostConnectionLost(Display*, void*)
{
    displayLost = true;
}

int hostIOError(Display* display)
{
    for (const auto& ours : hostDisplays)
        if (ours.load() == display)
        {
            displayLost = true;
            return 0;
        }
    return defaultIOError ? defaultIOError(display) : 0;
}

void surviveLoss(Display* display, std::size_t slot)
{
    hostDisplays[slot] = display;
    XSetIOErrorExitHandler(display, hostConnectionLost, nullptr);
}

bool popupShown(Display* display)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool shown = false;
    for (unsigned int i = 0; i < count && !shown; ++i)
    {
        XWindowAttributes attributes{};
        shown = XGetWindowAttributes(display, children[i], &attributes) && attributes.override_redirect &&
                attributes.map_state == IsViewable;
    }
    if (children)
        XFree(children);
    return shown;
}

// Whether another client holds the keyboard, as an open pop-up menu does.
bool keyboardHeld(Display* display)
{
    const int grab =
        XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (grab == GrabSuccess)
        XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);
    return grab == AlreadyGrabbed;
}

// Ends an open pop-up menu as a user would, with Escape to the menu that
// holds the keyboard (a tooltip, which holds nothing, is left alone);
// whether there was one.
bool endPopup(Display* display)
{
    if (!popupShown(display) || !keyboardHeld(display))
        return false;
    const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
    XTestFakeKeyEvent(display, escape, True, CurrentTime);
    XTestFakeKeyEvent(display, escape, False, CurrentTime);
    XSync(display, False);
    return true;
}

std::vector<std::uint32_t> codePoints(const std::string& text)
{
    std::vector<std::uint32_t> result;
    for (std::size_t i = 0; i < text.size();)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::uint32_t value = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            value = (value << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        result.push_back(value);
        i += static_cast<std::size_t>(length);
    }
    return result;
}
} // namespace

struct EditorHost::Impl
{
    struct Editor
    {
        int number = 0;
        std::unique_ptr<HostedPlugin> plugin;
        Window window = 0;
        int width = kDefaultWidth;
        int height = kDefaultHeight;
        // The editors' thread's view, which the script's reads.
        std::atomic<bool> windowAlive{false};
        std::atomic<bool> open{false};
    };

    // What the script asks of the editors' thread.
    struct Request
    {
        enum Kind
        {
            kOpen,
            kClose,
            kKnobMode,
        };
        Kind kind;
        std::size_t editor;
        int value = 0;
    };

    class ScriptRunner;

    EditorHostOptions options;
    Display* display = nullptr;
    FILE* log = stdout;
    std::mutex logMutex;
    // What was written while a script runs, for its "waitfor" steps.
    std::atomic<bool> keepLines{false};
    std::vector<std::string> written;
    std::condition_variable lineWritten;
    // While a script runs, standard output goes through a pipe of ours: the
    // plug-in's lines reach the waitfor steps too, in the order written.
    std::mutex captureMutex;
    std::atomic<bool> capturing{false};
    std::atomic<bool> captureEnding{false};
    int savedStdout = -1;
    std::thread captureReader;

    // The idle passes over the editors, for the settle and clock steps.
    const std::uint64_t startedAt = nowMillis();
    std::mutex idleMutex;
    std::condition_variable idled;
    std::uint64_t idlePasses = 0;
    // When the running pass began; 0 between passes.
    std::atomic<std::uint64_t> idleSince{0};
    std::vector<std::unique_ptr<Editor>> editors;
    Atom deleteWindow = None;
    std::atomic<bool> quit{false};
    // The script's thread waits on it.
    std::atomic<bool> lostReported{false};

    std::mutex requestMutex;
    std::condition_variable requestDone;
    std::deque<Request> requests;
    std::uint64_t requestsPosted = 0;
    std::uint64_t requestsDone = 0;
    bool stopping = false;

    // Script steps that could not be done: the run then ends in failure.
    std::atomic<int> failedSteps{0};

    std::mutex runMutex;
    std::condition_variable runEnded;
    bool ended = false;

    explicit Impl(const EditorHostOptions& hostOptions) : options(hostOptions) {}

    ~Impl()
    {
        for (auto& editor : editors)
        {
            closeEditor(*editor);
            editor->plugin.reset();
        }
        // Closing a connection to a lost server still reads from it.
        if (display)
            XCloseDisplay(display);
        hostDisplays[0] = nullptr;
        if (log && log != stdout)
            std::fclose(log);
    }

    void line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list arguments;
        va_start(arguments, format);
        writeLine(format, arguments);
        va_end(arguments);
    }

    // A script step that could not be done.
    void failed(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        ++failedSteps;
        va_list arguments;
        va_start(arguments, format);
        writeLine(format, arguments);
        va_end(arguments);
    }

    void writeLine(const char* format, va_list arguments)
    {
        if (options.quiet && !keepLines)
            return;
        char text[1024];
        std::vsnprintf(text, sizeof text, format, arguments);
        if (capturing)
        {
            // One write, shorter than the pipe's atomic size: no other
            // line cuts into it.
            char framed[sizeof text + 2];
            const int length = std::snprintf(framed, sizeof framed, "%c%s\n", kHostLineMark, text);
            writeAll(STDOUT_FILENO, framed, static_cast<std::size_t>(std::min<int>(length, sizeof framed - 1)));
            return;
        }
        std::lock_guard<std::mutex> lock(logMutex);
        if (keepLines)
        {
            written.emplace_back(text);
            lineWritten.notify_all();
        }
        if (options.quiet)
            return;
        std::fprintf(log, "%s\n", text);
        std::fflush(log);
    }

    static void writeAll(int fd, const char* data, std::size_t size)
    {
        while (size > 0)
        {
            const ssize_t done = ::write(fd, data, size);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return;
            data += done;
            size -= static_cast<std::size_t>(done);
        }
    }

    void startCapture()
    {
        if (options.quiet)
            return;
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        std::fflush(stdout);
        savedStdout = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (savedStdout < 0 || dup2(fds[1], STDOUT_FILENO) < 0)
        {
            if (savedStdout >= 0)
                ::close(savedStdout);
            savedStdout = -1;
            ::close(fds[0]);
            ::close(fds[1]);
            return;
        }
        ::close(fds[1]);
        capturing = true;
        captureReader = std::thread([this, fd = fds[0]] {
            readCaptured(fd);
            ::close(fd);
        });
    }

    // Puts standard output back; the reader passes on what is still in
    // the pipe first.
    void stopCapture()
    {
        std::lock_guard<std::mutex> lock(captureMutex);
        if (!capturing)
            return;
        std::fflush(stdout);
        capturing = false;
        // Our writer goes; a process the plug-in started may hold another,
        // so the reader also stops once the pipe is empty.
        dup2(savedStdout, STDOUT_FILENO);
        captureEnding = true;
        captureReader.join();
        ::close(savedStdout);
        savedStdout = -1;
    }

    void readCaptured(int fd)
    {
        // A host line comes whole, in one write, but may fall between the
        // pieces of a plug-in's line.
        std::string theirs, ours;
        bool inOurs = false;
        char buffer[4096];
        for (;;)
        {
            pollfd descriptor{fd, POLLIN, 0};
            const int ready = poll(&descriptor, 1, 50);
            if (ready == 0 && captureEnding)
                break;
            if (ready <= 0)
                continue;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            for (ssize_t i = 0; i < got; ++i)
            {
                const char c = buffer[i];
                if (inOurs)
                {
                    if (c != '\n')
                        ours += c;
                    else
                    {
                        passOn(ours, true, true);
                        ours.clear();
                        inOurs = false;
                    }
                }
                else if (c == kHostLineMark)
                    inOurs = true;
                else if (c != '\n')
                    theirs += c;
                else
                {
                    passOn(theirs, false, true);
                    theirs.clear();
                }
            }
        }
        if (!ours.empty())
            passOn(ours, true, true);
        if (!theirs.empty())
            passOn(theirs, false, false);
    }

    // Out first, then on the list: a step that found its line knows it is
    // out (a mark before what a test watches on standard error).
    void passOn(const std::string& text, bool ours, bool newline)
    {
        if (ours && log != stdout)
        {
            std::fprintf(log, "%s\n", text.c_str());
            std::fflush(log);
        }
        else
        {
            const std::string out = newline ? text + "\n" : text;
            writeAll(savedStdout, out.data(), out.size());
        }
        std::lock_guard<std::mutex> lock(logMutex);
        written.push_back(text);
        lineWritten.notify_all();
    }

    void noteIdle()
    {
        std::lock_guard<std::mutex> lock(idleMutex);
        ++idlePasses;
        idled.notify_all();
    }

    void start()
    {
        if (!options.logPath.empty())
        {
            log = std::fopen(options.logPath.c_str(), "w");
            if (!log)
            {
                log = stdout;
                throw std::runtime_error("cannot write the log " + options.logPath);
            }
        }
        // Two threads talk to the server, each on its own connection.
        XInitThreads();
        display = XOpenDisplay(nullptr);
        if (!display)
            throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
        XSetErrorHandler(printError);
        defaultIOError = XSetIOErrorHandler(hostIOError);
        surviveLoss(display, 0);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            throw std::runtime_error("the X server has no XTest extension");
        deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

        int x = kWindowGap;
        int rows = 0;
        const int screenWidth = DisplayWidth(display, DefaultScreen(display));
        HostSettings settings;
        settings.recordCalls = options.recordCalls;
        for (int i = 0; i < options.editors; ++i)
        {
            auto made = std::make_unique<Editor>();
            made->number = i + 1;
            made->plugin = std::make_unique<HostedPlugin>(options.pluginPath, HostSettings{});
            // Running, so that the script can render audio.
            made->plugin->resume();
            Editor* e = made.get();
            made->plugin->setCallObserver([this, e](VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt, VstIntPtr& answer) {
                return observe(*e, opcode, index, value, ptr, opt, answer);
            });
            if (!(made->plugin->effect()->flags & effFlagsHasEditor))
                throw std::runtime_error(options.pluginPath + " has no editor");
            readRect(*made);
            // Windows that would leave the screen start again at the left,
            // a step down and right, so that each shows some of itself.
            if (i > 0 && x + made->width > screenWidth)
            {
                ++rows;
                x = kWindowGap * (1 + rows);
            }
            made->window = createWindow(x, kWindowGap * (1 + rows), made->width, made->height);
            made->windowAlive = true;
            x += made->width + kWindowGap;
            editors.push_back(std::move(made));
        }
        waitUntilViewable();
        XSetInputFocus(display, editors.front()->window, RevertToPointerRoot, CurrentTime);
        XSync(display, False);
        if (options.openAtStart)
            for (auto& e : editors)
                openEditor(*e);
    }

    bool showsContent(Editor& e)
    {
        if (!e.windowAlive)
            return false;
        Window child = 0;
        int x = 0, y = 0;
        XTranslateCoordinates(display, e.window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        const int screenWidth = DisplayWidth(display, DefaultScreen(display));
        const int screenHeight = DisplayHeight(display, DefaultScreen(display));
        const int width = std::min(e.width, screenWidth - x), height = std::min(e.height, screenHeight - y);
        if (x < 0 || y < 0 || width <= 0 || height <= 0)
            return false;
        XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (!image)
            return false;
        const unsigned long background = BlackPixel(display, DefaultScreen(display));
        const unsigned long planes = image->red_mask | image->green_mask | image->blue_mask;
        bool shown = false;
        for (int row = 0; row < height && !shown; ++row)
        {
            if (image->bits_per_pixel == 32)
            {
                const auto* pixels = reinterpret_cast<const std::uint32_t*>(image->data + row * image->bytes_per_line);
                for (int column = 0; column < width && !shown; ++column)
                    shown = ((pixels[column] ^ background) & planes) != 0;
            }
            else
                for (int column = 0; column < width && !shown; ++column)
                    shown = ((XGetPixel(image, column, row) ^ background) & planes) != 0;
        }
        XDestroyImage(image);
        return shown;
    }

    void readRect(Editor& e)
    {
        ERect* rect = nullptr;
        e.plugin->dispatch(effEditGetRect, 0, 0, &rect);
        if (rect && rect->right > rect->left && rect->bottom > rect->top)
        {
            e.width = rect->right - rect->left;
            e.height = rect->bottom - rect->top;
        }
        line("host %d rect %d %d", e.number, e.width, e.height);
    }

    Window createWindow(int x, int y, int width, int height)
    {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        attributes.event_mask = StructureNotifyMask;
        Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWBackPixel | CWEventMask, &attributes);
        XStoreName(display, window, "zentrova-editor-host");
        XSetWMProtocols(display, window, &deleteWindow, 1);
        XMapWindow(display, window);
        return window;
    }

    void waitUntilViewable()
    {
        const std::uint64_t limit = nowMillis() + 2000;
        for (auto& e : editors)
            for (;;)
            {
                XWindowAttributes attributes{};
                XGetWindowAttributes(display, e->window, &attributes);
                if (attributes.map_state == IsViewable || nowMillis() > limit)
                    break;
                poll(nullptr, 0, 5);
            }
    }

    void openEditor(Editor& e)
    {
        if (!e.windowAlive || e.open)
            return;
        void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(e.window));
        e.open = e.plugin->dispatch(effEditOpen, 0, 0, parent) != 0;
        line("host %d open %d", e.number, e.open ? 1 : 0);
    }

    void closeEditor(Editor& e)
    {
        if (!e.open)
            return;
        e.plugin->dispatch(effEditClose);
        e.open = false;
        line("host %d close", e.number);
    }

    bool observe(Editor& e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt, VstIntPtr& answer)
    {
        switch (opcode)
        {
        case audioMasterAutomate:
            line("host %d automate %d %g", e.number, index, static_cast<double>(opt));
            return false;
        case audioMasterBeginEdit:
            line("host %d beginEdit %d", e.number, index);
            return false;
        case audioMasterEndEdit:
            line("host %d endEdit %d", e.number, index);
            return false;
        case audioMasterIdle:
            line("host %d idle", e.number);
            answer = 1;
            return true;
        case audioMasterSizeWindow:
            line("host %d sizeWindow %d %d", e.number, index, static_cast<int>(value));
            if (e.windowAlive && index > 0 && value > 0)
            {
                e.width = index;
                e.height = static_cast<int>(value);
                XResizeWindow(display, e.window, static_cast<unsigned>(index), static_cast<unsigned>(value));
                XSync(display, False);
            }
            answer = 1;
            return true;
        case audioMasterCanDo:
            if (ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0)
            {
                answer = 1;
                return true;
            }
            return false;
        default:
            return false;
        }
    }

    // --- The editors' thread ----------------------------------------------------------------

    // The script's thread waits here until the editors' thread did it, or
    // the host stops. An editor's own loop (a pop-up menu) keeps the
    // editors' thread from the request: whileWaiting runs each time it is
    // not served within kNestedLoopMillis.
    template <class WhileWaiting>
    void ask(Request::Kind kind, std::size_t editor, WhileWaiting whileWaiting, int value = 0)
    {
        std::unique_lock<std::mutex> lock(requestMutex);
        requests.push_back({kind, editor, value});
        const std::uint64_t ticket = ++requestsPosted;
        while (!requestDone.wait_for(lock, std::chrono::milliseconds(kNestedLoopMillis),
                                     [&] { return requestsDone >= ticket || stopping; }))
        {
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    }

    // --seconds bounds the run whatever the editors do: past it the script
    // stops, an open pop-up menu is ended, and an editor that still does
    // not give the editors' thread back ends the process.
    void guardDeadline(std::uint64_t deadline)
    {
        std::unique_lock<std::mutex> lock(runMutex);
        const std::uint64_t now = nowMillis();
        if (runEnded.wait_for(lock, std::chrono::milliseconds(deadline > now ? deadline - now : 0),
                              [&] { return ended; }))
            return;
        quit = true;
        {
            std::lock_guard<std::mutex> requestLock(requestMutex);
            stopping = true;
            requestDone.notify_all();
        }
        Display* own = displayLost ? nullptr : XOpenDisplay(nullptr);
        if (own)
            surviveLoss(own, 2);
        const std::uint64_t giveUp = nowMillis() + kGiveUpMillis;
        while (!runEnded.wait_for(lock, std::chrono::milliseconds(kNestedLoopMillis), [&] { return ended; }))
        {
            if (nowMillis() >= giveUp)
            {
                line("host error: an editor kept the host past --seconds; ending the process");
                stopCapture();
                std::fflush(nullptr);
                _exit(1);
            }
            if (own && !displayLost)
                endPopup(own);
        }
        if (own)
            XCloseDisplay(own);
        hostDisplays[2] = nullptr;
    }

    void serveRequests()
    {
        std::unique_lock<std::mutex> lock(requestMutex);
        while (!requests.empty())
        {
            const Request request = requests.front();
            requests.pop_front();
            lock.unlock();
            Editor& e = *editors[request.editor];
            if (request.kind == Request::kOpen)
                openEditor(e);
            else if (request.kind == Request::kClose)
                closeEditor(e);
            else
            {
                e.plugin->dispatch(effSetEditKnobMode, 0, request.value);
                line("host %d knobmode %d", e.number, request.value);
            }
            lock.lock();
            ++requestsDone;
            requestDone.notify_all();
        }
    }

    void handleHostEvents()
    {
        if (displayLost)
        {
            if (!lostReported)
                line("host display lost");
            lostReported = true;
            return;
        }
        while (XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                quit = true;
            if (event.type == DestroyNotify)
                for (auto& e : editors)
                    if (e->window == event.xdestroywindow.window)
                    {
                        e->windowAlive = false;
                        line("host %d destroyed", e->number);
                    }
        }
    }

    int run(const InputScript* script);
};

// Plays the script on a thread and a connection of its own, so that input
// keeps coming while an editor runs a loop of its own inside its idle (a
// pop-up menu, a dialog), as a user's would.
class EditorHost::Impl::ScriptRunner
{
public:
    explicit ScriptRunner(Impl& host) : m_host(host), m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        surviveLoss(m_display, 1);
        // Where the editors answer the settle steps' questions.
        XSetWindowAttributes attributes{};
        m_answers = XCreateWindow(m_display, DefaultRootWindow(m_display), -10, -10, 1, 1, 0, 0, InputOnly,
                                  CopyFromParent, 0, &attributes);
        m_settleAtom = XInternAtom(m_display, "ZENTROVA_EDITOR_HOST_SETTLE", False);
        sentinels.display = m_display;
    }
    ~ScriptRunner()
    {
        sentinels.display = nullptr;
        sentinels.bySerial.clear();
        sentinels.lost.clear();
        if (m_display)
            XCloseDisplay(m_display);
        hostDisplays[1] = nullptr;
    }

    void run(const InputScript& script)
    {
        if (!m_display)
        {
            m_host.failed("host error: the script cannot open the display");
            return;
        }
        for (const ScriptStep& step : script.steps())
        {
            if (m_host.quit)
                return;
            execute(step);
            XSync(m_display, False);
        }
    }

private:
    Editor& editor() { return *m_host.editors[m_current]; }
    int number() { return editor().number; }
    bool windowUsable() { return !m_destroyed[m_current]; }

    void sleep(int millis)
    {
        const std::uint64_t end = nowMillis() + static_cast<std::uint64_t>(std::max(0, millis));
        while (!m_host.quit)
        {
            const std::uint64_t now = nowMillis();
            if (now >= end)
                break;
            poll(nullptr, 0, static_cast<int>(std::min<std::uint64_t>(end - now, 20)));
        }
    }

    // The window an open editor made in the host's, or 0.
    Window editorWindow(std::size_t index)
    {
        Editor& e = *m_host.editors[index];
        if (displayLost || !e.open || !e.windowAlive || m_destroyed[index])
            return 0;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, e.window, &root, &parent, &children, &count))
            return 0;
        const Window found = count > 0 ? children[0] : 0;
        if (children)
            XFree(children);
        return found;
    }

    // Asks every open editor a question through the server that it answers
    // only once it has handled every event that came before it: the input
    // sent so far, and whatever the server sent it in answer to the requests
    // it made before its last answer (its drawing among them). Notes whether
    // an open editor could not be asked.
    bool askEditors(const ScriptStep& step, bool& blind)
    {
        std::map<Time, int> waiting;
        for (std::size_t i = 0; i < m_host.editors.size(); ++i)
        {
            const Window target = editorWindow(i);
            if (!target)
            {
                blind = blind || (m_host.editors[i]->open && !displayLost);
                continue;
            }
            XEvent event{};
            XSelectionRequestEvent& request = event.xselectionrequest;
            request.type = SelectionRequest;
            request.owner = target;
            request.requestor = m_answers;
            request.selection = m_settleAtom;
            request.target = XA_STRING;
            request.property = None;
            // The answer carries the time back: it tells the answers apart.
            request.time = ++m_questions;
            sentinels.bySerial[NextRequest(m_display)] = request.time;
            XSendEvent(m_display, target, False, NoEventMask, &event);
            waiting[request.time] = m_host.editors[i]->number;
        }
        XFlush(m_display);
        const std::uint64_t deadline = nowMillis() + kWaitForMillis;
        bool answered = true;
        while (!waiting.empty())
        {
            while (!displayLost && XPending(m_display) > 0)
            {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == SelectionNotify && event.xselection.requestor == m_answers &&
                    event.xselection.selection == m_settleAtom)
                    waiting.erase(event.xselection.time);
            }
            // An editor whose window went meanwhile has nothing to take.
            for (Time lost : sentinels.lost)
                if (waiting.erase(lost))
                    blind = true;
            if (waiting.empty() || m_host.quit || displayLost)
                break;
            if (nowMillis() >= deadline)
            {
                m_host.failed("host error line %d: editor %d took no input within %d ms", step.line,
                              waiting.begin()->second, kWaitForMillis);
                answered = false;
                break;
            }
            pollfd descriptor{ConnectionNumber(m_display), POLLIN, 0};
            poll(&descriptor, 1, 10);
        }
        sentinels.bySerial.clear();
        sentinels.lost.clear();
        return answered;
    }

    // Whether an editor runs a loop of its own, which no idle of ours
    // reaches: a menu or a dialog on the screen (a tooltip runs none).
    bool editorLoopShown()
    {
        const Atom typeAtom = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False);
        const Atom menu = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
        const Atom dialog = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return false;
        bool shown = false;
        for (unsigned int i = 0; i < count && !shown; ++i)
        {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            Atom type = None;
            int format = 0;
            unsigned long items = 0, remaining = 0;
            unsigned char* value = nullptr;
            if (XGetWindowProperty(m_display, children[i], typeAtom, 0, 1, False, XA_ATOM, &type, &format, &items,
                                   &remaining, &value) == Success &&
                value && items == 1)
            {
                const Atom kind = *reinterpret_cast<Atom*>(value);
                shown = kind == menu || kind == dialog;
            }
            if (value)
                XFree(value);
        }
        if (children)
            XFree(children);
        return shown;
    }

    // Waits until the editors' thread has made count more idle passes, or
    // finds it inside an editor's own loop.
    bool waitIdles(const ScriptStep& step, int count, bool& looping)
    {
        std::unique_lock<std::mutex> lock(m_host.idleMutex);
        const std::uint64_t target = m_host.idlePasses + static_cast<std::uint64_t>(count);
        const std::uint64_t deadline = nowMillis() + kWaitForMillis;
        while (m_host.idlePasses < target && !m_host.quit)
        {
            m_host.idled.wait_for(lock, std::chrono::milliseconds(20));
            if (m_host.idlePasses >= target)
                break;
            const std::uint64_t now = nowMillis();
            if (m_host.idleSince && !displayLost)
            {
                lock.unlock();
                looping = editorLoopShown();
                lock.lock();
                if (looping)
                    break;
            }
            if (now >= deadline)
            {
                lock.unlock();
                m_host.failed("host error line %d: the editors ran no idle within %d ms", step.line, kWaitForMillis);
                return false;
            }
        }
        return true;
    }

    // Every editor has taken the input so far, run its idles since and
    // what it drew there has reached the server: the next probe sees it.
    void settle(const ScriptStep& step)
    {
        bool blind = false;
        bool looping = false;
        if (!askEditors(step, blind) || !waitIdles(step, blind ? kBlindSettleIdles : kSettleIdles, looping))
            return;
        for (int question = 0; looping && question < kLoopSettleQuestions; ++question)
        {
            sleep(kLoopSettleGapMillis);
            if (!askEditors(step, blind))
                return;
        }
        if (looping)
            sleep(kLoopSettleGapMillis);
        askEditors(step, blind);
    }

    void clock()
    {
        m_host.line("host clock %llu", static_cast<unsigned long long>(nowMillis() - m_host.startedAt));
    }

    void waitPopup(const ScriptStep& step, bool shown)
    {
        const std::uint64_t deadline = nowMillis() + kWaitForMillis;
        while (!displayLost && popupShown(m_display) != shown)
        {
            if (m_host.quit)
                return;
            if (nowMillis() >= deadline)
            {
                m_host.failed("host error line %d: %s within %d ms", step.line,
                              shown ? "no pop-up" : "the pop-ups still there", kWaitForMillis);
                return;
            }
            sleep(10);
        }
        popups();
    }

    // Looks through what was written after the line the last waitfor or
    // mark found; a host that quits meanwhile ends the run anyway.
    bool waitForLine(const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitForMillis);
        std::unique_lock<std::mutex> lock(m_host.logMutex);
        for (;;)
        {
            for (; m_linesSearched < m_host.written.size(); ++m_linesSearched)
                if (m_host.written[m_linesSearched].compare(0, text.size(), text) == 0)
                {
                    ++m_linesSearched;
                    return true;
                }
            if (m_host.quit)
                return true;
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            // Quitting tells no one: a look now and then.
            m_host.lineWritten.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    void windowOrigin(int& x, int& y)
    {
        Window child = 0;
        x = y = 0;
        if (windowUsable())
            XTranslateCoordinates(m_display, editor().window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    }

    // The key code that types sym, with whether it needs Shift; a spare
    // key code is mapped for symbols no key has.
    KeyCode keyCodeFor(KeySym sym, bool& shift)
    {
        shift = false;
        KeyCode code = XKeysymToKeycode(m_display, sym);
        if (code)
        {
            shift = XkbKeycodeToKeysym(m_display, code, 0, 0) != sym && XkbKeycodeToKeysym(m_display, code, 0, 1) == sym;
            return code;
        }
        if (!m_spareKeyCode)
        {
            int low = 0, high = 0, perCode = 0;
            XDisplayKeycodes(m_display, &low, &high);
            KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(low), high - low + 1, &perCode);
            for (int c = high; c >= low && !m_spareKeyCode; --c)
            {
                bool empty = true;
                for (int k = 0; k < perCode; ++k)
                    empty = empty && map[(c - low) * perCode + k] == NoSymbol;
                if (empty)
                    m_spareKeyCode = static_cast<KeyCode>(c);
            }
            XFree(map);
            if (!m_spareKeyCode)
                return 0;
        }
        KeySym symbols[2] = {sym, sym};
        XChangeKeyboardMapping(m_display, m_spareKeyCode, 2, symbols, 1);
        XSync(m_display, False);
        return m_spareKeyCode;
    }

    static KeySym modifierSym(const std::string& name)
    {
        return name == "ctrl"    ? XK_Control_L
               : name == "shift" ? XK_Shift_L
               : name == "alt"   ? XK_Alt_L
               : name == "super" ? XK_Super_L
                                 : NoSymbol;
    }

    void keySpec(const ScriptStep& step, bool press, bool release)
    {
        std::vector<KeyCode> modifiers;
        std::string rest = step.text;
        for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();)
        {
            const std::string name = rest.substr(0, plus);
            rest = rest.substr(plus + 1);
            const KeySym sym = modifierSym(name);
            if (sym == NoSymbol)
            {
                m_host.failed("host error line %d: unknown modifier %s", step.line, name.c_str());
                return;
            }
            modifiers.push_back(XKeysymToKeycode(m_display, sym));
        }
        const KeySym sym = modifierSym(rest) != NoSymbol ? modifierSym(rest) : XStringToKeysym(rest.c_str());
        const bool mapped = sym != NoSymbol && XKeysymToKeycode(m_display, sym) != 0;
        bool shift = false;
        const KeyCode code = sym != NoSymbol ? keyCodeFor(sym, shift) : 0;
        if (!code)
        {
            m_host.failed("host error line %d: unknown key %s", step.line, rest.c_str());
            return;
        }
        if (shift)
            modifiers.push_back(XKeysymToKeycode(m_display, XK_Shift_L));
        if (press)
        {
            for (KeyCode modifier : modifiers)
                XTestFakeKeyEvent(m_display, modifier, True, CurrentTime);
            XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        }
        if (release)
        {
            XTestFakeKeyEvent(m_display, code, False, CurrentTime);
            for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
                XTestFakeKeyEvent(m_display, *it, False, CurrentTime);
        }
        if (!mapped)
            awaitKey(step);
    }

    // The editor reads a mapping of ours when it comes to the key: the next
    // mapping waits until it has.
    void awaitKey(const ScriptStep& step)
    {
        XSync(m_display, False);
        bool blind = false;
        if (!askEditors(step, blind) || blind)
            sleep(kRemapPauseMillis);
    }

    void type(const ScriptStep& step)
    {
        const KeyCode shiftCode = XKeysymToKeycode(m_display, XK_Shift_L);
        for (std::uint32_t c : codePoints(step.text))
        {
            const KeySym sym = c < 0x100 ? c : 0x01000000 | c;
            const bool mapped = XKeysymToKeycode(m_display, sym) != 0;
            bool shift = false;
            const KeyCode code = keyCodeFor(sym, shift);
            if (!code)
                continue;
            if (shift)
                XTestFakeKeyEvent(m_display, shiftCode, True, CurrentTime);
            XTestFakeKeyEvent(m_display, code, True, CurrentTime);
            XTestFakeKeyEvent(m_display, code, False, CurrentTime);
            if (shift)
                XTestFakeKeyEvent(m_display, shiftCode, False, CurrentTime);
            XSync(m_display, False);
            if (!mapped)
                awaitKey(step);
        }
    }

    void screenshot(const std::string& path)
    {
        XWindowAttributes attributes{};
        if (!windowUsable() || !XGetWindowAttributes(m_display, editor().window, &attributes))
        {
            m_host.failed("host %d screenshot %s failed: no window", number(), path.c_str());
            return;
        }
        // What the screen shows there, pop-ups over the window included.
        int x = 0, y = 0;
        windowOrigin(x, y);
        XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), x, y, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (!image)
        {
            m_host.failed("host %d screenshot %s failed: the screen cannot be read there", number(), path.c_str());
            return;
        }
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, attributes.width, attributes.height);
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        auto channel = [](unsigned long pixel, unsigned long mask) {
            if (!mask)
                return 0u;
            int shift = 0;
            while (!((mask >> shift) & 1))
                ++shift;
            return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / (mask >> shift));
        };
        for (int y = 0; y < attributes.height; ++y)
        {
            auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
            for (int x = 0; x < attributes.width; ++x)
            {
                const unsigned long pixel = XGetPixel(image, x, y);
                row[x] = 0xFF000000u | (channel(pixel, image->red_mask) << 16) |
                         (channel(pixel, image->green_mask) << 8) | channel(pixel, image->blue_mask);
            }
        }
        cairo_surface_mark_dirty(surface);
        const cairo_status_t written = cairo_surface_write_to_png(surface, path.c_str());
        cairo_surface_destroy(surface);
        XDestroyImage(image);
        if (written == CAIRO_STATUS_SUCCESS)
            m_host.line("host %d screenshot %s", number(), path.c_str());
        else
            m_host.failed("host %d screenshot %s failed: %s", number(), path.c_str(), cairo_status_to_string(written));
    }

    std::string focusOwner()
    {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        if (focus == None)
            return "none";
        if (focus == PointerRoot)
            return "pointerroot";
        if (focus == DefaultRootWindow(m_display))
            return "root";
        if (focus == editor().window)
            return "host";
        for (Window w = focus; w;)
        {
            Window root = 0, parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(m_display, w, &root, &parent, &children, &count))
                break;
            if (children)
                XFree(children);
            if (parent == editor().window)
                return "editor";
            w = parent == root ? 0 : parent;
        }
        return "other";
    }

    void geometry()
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!windowUsable() || !XQueryTree(m_display, editor().window, &root, &parent, &children, &count) ||
            count == 0)
        {
            m_host.line("host %d child none", number());
            if (children)
                XFree(children);
            return;
        }
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, children[0], &attributes);
        XFree(children);
        m_host.line("host %d child %d %d %d %d %s", number(), attributes.x, attributes.y, attributes.width,
                    attributes.height, attributes.map_state == IsViewable ? "viewable" : "hidden");
    }

    // The System V segments the editors in this process made: their size,
    // how many attach them (the X server is one) and whether they are
    // already marked for removal.
    void sharedSegments()
    {
        std::ifstream table("/proc/sysvipc/shm");
        std::string line;
        std::getline(table, line);
        int found = 0;
        while (std::getline(table, line))
        {
            long long key = 0, id = 0, size = 0, creator = 0, last = 0, attached = 0;
            unsigned int mode = 0;
            if (std::sscanf(line.c_str(), "%lld %lld %o %lld %lld %lld %lld", &key, &id, &mode, &size, &creator, &last,
                            &attached) != 7 ||
                creator != getpid())
                continue;
            ++found;
            m_host.line("host %d shm %lld attached %lld %s", number(), size, attached,
                        (mode & SHM_DEST) ? "removed" : "kept");
        }
        if (!found)
            m_host.line("host %d shm none", number());
    }

    // Pop-up windows, relative to the current host window.
    void popups()
    {
        int originX = 0, originY = 0;
        windowOrigin(originX, originY);
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return;
        int shown = 0;
        for (unsigned int i = 0; i < count; ++i)
        {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(m_display, children[i], &attributes) || !attributes.override_redirect ||
                attributes.map_state != IsViewable)
                continue;
            m_host.line("host %d popup %d %d %d %d", number(), attributes.x - originX, attributes.y - originY,
                        attributes.width, attributes.height);
            ++shown;
        }
        if (children)
            XFree(children);
        if (shown == 0)
            m_host.line("host %d popup none", number());
    }

    // Other top-level windows (the editor's dialogs), relative to the
    // current host window, with their titles.
    void dialogs()
    {
        int originX = 0, originY = 0;
        windowOrigin(originX, originY);
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return;
        int shown = 0;
        for (unsigned int i = 0; i < count; ++i)
        {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.override_redirect ||
                attributes.map_state != IsViewable ||
                std::any_of(m_host.editors.begin(), m_host.editors.end(),
                            [&](const auto& e) { return e->window == children[i]; }))
                continue;
            char* name = nullptr;
            XFetchName(m_display, children[i], &name);
            m_host.line("host %d dialog %d %d %d %d %s", number(), attributes.x - originX, attributes.y - originY,
                        attributes.width, attributes.height, name ? name : "");
            if (name)
                XFree(name);
            ++shown;
        }
        if (children)
            XFree(children);
        if (shown == 0)
            m_host.line("host %d dialog none", number());
    }

    // An XDND source: "X Y files URI..." offers a text/uri-list, "X Y
    // text TEXT" a text, to the deepest drop-aware window under (X, Y);
    // it drops when the target accepts and leaves when it refuses.
    void drop(const ScriptStep& step)
    {
        std::istringstream words(step.text);
        int x = 0, y = 0;
        std::string kind;
        if (!(words >> x >> y >> kind) || (kind != "files" && kind != "text"))
        {
            m_host.failed("host error line %d: drop X Y files URI... | drop X Y text TEXT", step.line);
            return;
        }
        std::string data, word;
        if (kind == "files")
            while (words >> word)
                data += word + "\r\n";
        else
        {
            std::getline(words >> std::ws, data);
        }
        Display* d = m_display;
        const Window root = DefaultRootWindow(d);
        auto atom = [d](const char* name) { return XInternAtom(d, name, False); };
        int originX = 0, originY = 0;
        windowOrigin(originX, originY);
        const int rootX = originX + x, rootY = originY + y;

        Window target = None;
        long targetVersion = 0;
        for (Window parent = root;;)
        {
            int cx = 0, cy = 0;
            Window child = None;
            if (!XTranslateCoordinates(d, root, parent, rootX, rootY, &cx, &cy, &child) || !child)
                break;
            Atom type = None;
            int format = 0;
            unsigned long items = 0, remaining = 0;
            unsigned char* value = nullptr;
            if (XGetWindowProperty(d, child, atom("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &items,
                                   &remaining, &value) == Success &&
                value && items == 1)
            {
                target = child;
                targetVersion = static_cast<long>(*reinterpret_cast<Atom*>(value));
            }
            if (value)
                XFree(value);
            parent = child;
        }
        if (!target)
        {
            m_host.line("host %d drop target none", number());
            return;
        }

        const Atom type = kind == "files" ? atom("text/uri-list") : atom("UTF8_STRING");
        const Window source = XCreateSimpleWindow(d, root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(d, source, PropertyChangeMask);
        XSetSelectionOwner(d, atom("XdndSelection"), source, CurrentTime);
        auto send = [&](const char* message, long l1, long l2, long l3, long l4) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = target;
            event.xclient.message_type = atom(message);
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(source);
            event.xclient.data.l[1] = l1;
            event.xclient.data.l[2] = l2;
            event.xclient.data.l[3] = l3;
            event.xclient.data.l[4] = l4;
            XSendEvent(d, target, False, NoEventMask, &event);
            XFlush(d);
        };
        // Waits for the message, answering requests for the data meanwhile.
        auto await = [&](const char* message, XClientMessageEvent& answer) {
            const std::uint64_t limit = nowMillis() + 3000;
            while (nowMillis() < limit)
            {
                while (XPending(d) > 0)
                {
                    XEvent event;
                    XNextEvent(d, &event);
                    if (event.type == SelectionRequest && event.xselectionrequest.owner == source)
                    {
                        const XSelectionRequestEvent& request = event.xselectionrequest;
                        XSelectionEvent reply{};
                        reply.type = SelectionNotify;
                        reply.requestor = request.requestor;
                        reply.selection = request.selection;
                        reply.target = request.target;
                        reply.time = request.time;
                        reply.property = None;
                        if (request.target == type && request.property != None)
                        {
                            XChangeProperty(d, request.requestor, request.property, type, 8, PropModeReplace,
                                            reinterpret_cast<const unsigned char*>(data.data()),
                                            static_cast<int>(data.size()));
                            reply.property = request.property;
                        }
                        XSendEvent(d, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
                        XFlush(d);
                    }
                    else if (event.type == ClientMessage && event.xclient.message_type == atom(message))
                    {
                        answer = event.xclient;
                        return true;
                    }
                }
                poll(nullptr, 0, 5);
            }
            return false;
        };

        const long version = std::min<long>(5, targetVersion);
        send("XdndEnter", version << 24, static_cast<long>(type), 0, 0);
        XClientMessageEvent status{};
        bool accepted = false;
        // Two positions, so the target sees a move as well.
        for (int step = 0; step < 2; ++step)
        {
            send("XdndPosition", 0, (static_cast<long>(rootX + step) << 16) | rootY, CurrentTime,
                 static_cast<long>(atom("XdndActionCopy")));
            if (!await("XdndStatus", status))
            {
                m_host.line("host %d drop no status", number());
                XDestroyWindow(d, source);
                return;
            }
            accepted = (status.data.l[1] & 1) != 0;
            m_host.line("host %d drop status %s", number(), accepted ? "accept" : "refuse");
        }
        if (!accepted)
        {
            send("XdndLeave", 0, 0, 0, 0);
            m_host.line("host %d drop left", number());
        }
        else
        {
            send("XdndDrop", 0, CurrentTime, 0, 0);
            XClientMessageEvent finished{};
            if (await("XdndFinished", finished))
                m_host.line("host %d drop finished %s", number(),
                            (finished.data.l[1] & 1) ? "accepted" : "refused");
            else
                m_host.line("host %d drop no finish", number());
        }
        XDestroyWindow(d, source);
        XSync(d, False);
    }

    // Audio blocks on this thread, as a host's audio thread would render
    // them while the editors' thread idles; events go with the first.
    void render(std::vector<VstMidiEvent>& events, int blocks)
    {
        HostedPlugin& plugin = *editor().plugin;
        const int frames = plugin.settings().blockSize;
        AEffect* effect = plugin.effect();
        std::vector<std::vector<float>> inputs(static_cast<std::size_t>(std::max(0, effect->numInputs)),
                                               std::vector<float>(static_cast<std::size_t>(frames)));
        std::vector<std::vector<float>> outputs(static_cast<std::size_t>(std::max(0, effect->numOutputs)),
                                                std::vector<float>(static_cast<std::size_t>(frames)));
        std::vector<float*> in, out;
        for (auto& channel : inputs)
            in.push_back(channel.data());
        for (auto& channel : outputs)
            out.push_back(channel.data());
        std::vector<VstMidiEvent> none;
        float peak = 0.0f;
        for (int block = 0; block < blocks; ++block)
        {
            plugin.processBlock(block == 0 ? events : none, in.data(), out.data(), frames);
            for (const auto& channel : outputs)
                for (float sample : channel)
                    peak = std::max(peak, std::fabs(sample));
        }
        m_host.line("host %d peak %g", number(), static_cast<double>(peak));
    }

    bool cursorHidden()
    {
        XFixesCursorImage* image = XFixesGetCursorImage(m_display);
        if (!image)
            return false;
        bool hidden = true;
        for (int i = 0; i < image->width * image->height && hidden; ++i)
            hidden = (image->pixels[i] >> 24) == 0;
        XFree(image);
        return hidden;
    }

    void execute(const ScriptStep& step)
    {
        int x = 0, y = 0;
        switch (step.kind)
        {
        case ScriptStep::kMove:
            windowOrigin(x, y);
            XTestFakeMotionEvent(m_display, -1, x + step.x, y + step.y, CurrentTime);
            break;
        case ScriptStep::kMoveBy:
            XTestFakeRelativeMotionEvent(m_display, step.x, step.y, CurrentTime);
            break;
        case ScriptStep::kPress:
        case ScriptStep::kRelease:
            XTestFakeButtonEvent(m_display, static_cast<unsigned>(step.value), step.kind == ScriptStep::kPress,
                                 CurrentTime);
            break;
        case ScriptStep::kClick:
            if (step.hasPoint)
            {
                windowOrigin(x, y);
                XTestFakeMotionEvent(m_display, -1, x + step.x, y + step.y, CurrentTime);
            }
            XTestFakeButtonEvent(m_display, static_cast<unsigned>(step.value), True, CurrentTime);
            XTestFakeButtonEvent(m_display, static_cast<unsigned>(step.value), False, CurrentTime);
            break;
        case ScriptStep::kKey:
            keySpec(step, true, true);
            break;
        case ScriptStep::kKeyDown:
            keySpec(step, true, false);
            break;
        case ScriptStep::kKeyUp:
            keySpec(step, false, true);
            break;
        case ScriptStep::kType:
            type(step);
            break;
        case ScriptStep::kWait:
            sleep(step.value);
            break;
        case ScriptStep::kWaitLost:
        {
            const std::uint64_t end = nowMillis() + static_cast<std::uint64_t>(std::max(0, step.value));
            while (!m_host.lostReported && !m_host.quit && nowMillis() < end)
                sleep(10);
            break;
        }
        case ScriptStep::kWaitFor:
            if (!waitForLine(step.text))
                m_host.failed("host error line %d: no line \"%s\" within %d ms", step.line, step.text.c_str(),
                              kWaitForMillis);
            break;
        case ScriptStep::kSettle:
            settle(step);
            break;
        case ScriptStep::kClock:
            clock();
            break;
        case ScriptStep::kWaitPopup:
        case ScriptStep::kPopupGone:
            waitPopup(step, step.kind == ScriptStep::kWaitPopup);
            break;
        case ScriptStep::kScreenshot:
            screenshot(step.text);
            break;
        case ScriptStep::kMark:
            m_host.line("mark %s", step.text.c_str());
            // Found at once, or once it is out.
            waitForLine("mark " + step.text);
            break;
        case ScriptStep::kPointer:
        {
            windowOrigin(x, y);
            Window root = 0, child = 0;
            int rootX = 0, rootY = 0, wx = 0, wy = 0;
            unsigned int mask = 0;
            XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &wx, &wy, &mask);
            m_host.line("host %d pointer %d %d", number(), rootX - x, rootY - y);
            break;
        }
        case ScriptStep::kCursor:
            m_host.line("host %d cursor %s", number(), cursorHidden() ? "hidden" : "shown");
            break;
        case ScriptStep::kFocus:
            m_host.line("host %d focus %s", number(), focusOwner().c_str());
            break;
        case ScriptStep::kGeometry:
            geometry();
            break;
        case ScriptStep::kShm:
            sharedSegments();
            break;
        case ScriptStep::kPopups:
            popups();
            break;
        case ScriptStep::kDialogs:
            dialogs();
            break;
        case ScriptStep::kDrop:
            drop(step);
            break;
        case ScriptStep::kNumLock:
        case ScriptStep::kCapsLock:
        {
            const unsigned int mask =
                step.kind == ScriptStep::kNumLock ? XkbKeysymToModifiers(m_display, XK_Num_Lock) : LockMask;
            XkbLockModifiers(m_display, XkbUseCoreKbd, mask, step.text == "on" ? mask : 0);
            break;
        }
        case ScriptStep::kUse:
            if (step.value < 1 || step.value > static_cast<int>(m_host.editors.size()))
                m_host.failed("host error line %d: no editor %d", step.line, step.value);
            else
                m_current = static_cast<std::size_t>(step.value - 1);
            break;
        case ScriptStep::kDestroy:
            if (windowUsable())
            {
                XDestroyWindow(m_display, editor().window);
                m_destroyed[m_current] = true;
            }
            break;
        case ScriptStep::kClose:
            m_host.ask(Request::kClose, m_current, [this] { endPopup(m_display); });
            break;
        case ScriptStep::kOpen:
            m_host.ask(Request::kOpen, m_current, [this] { endPopup(m_display); });
            break;
        case ScriptStep::kQuit:
            m_host.quit = true;
            break;
        case ScriptStep::kParam:
            // From this thread, as a host's automation thread would.
            if (hasParameter(step))
                editor().plugin->setParameter(step.value, step.amount);
            break;
        case ScriptStep::kMidi:
        {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.midiData[0] = static_cast<char>(step.value);
            event.midiData[1] = static_cast<char>(step.x);
            event.midiData[2] = static_cast<char>(step.y);
            std::vector<VstMidiEvent> events{event};
            render(events, 1);
            break;
        }
        case ScriptStep::kProcess:
        {
            std::vector<VstMidiEvent> none;
            render(none, step.value);
            break;
        }
        case ScriptStep::kGetParam:
            if (hasParameter(step))
                m_host.line("host %d param %d %g", number(), step.value,
                            static_cast<double>(editor().plugin->getParameter(step.value)));
            break;
        case ScriptStep::kProgram:
        {
            const int programs = editor().plugin->effect()->numPrograms;
            if (step.value >= programs)
            {
                m_host.failed("host error line %d: no program %d (the plug-in has %d)", step.line, step.value,
                              programs);
                break;
            }
            char name[kVstMaxProgNameLen + 1] = {};
            editor().plugin->dispatch(effSetProgram, 0, step.value);
            editor().plugin->dispatch(effGetProgramName, 0, 0, name);
            m_host.line("host %d program %d %s", number(), step.value, name);
            break;
        }
        case ScriptStep::kKnobMode:
            m_host.ask(
                Request::kKnobMode, m_current, [this] { endPopup(m_display); }, step.value);
            break;
        }
    }

    bool hasParameter(const ScriptStep& step)
    {
        const int parameters = editor().plugin->effect()->numParams;
        if (step.value < parameters)
            return true;
        m_host.failed("host error line %d: no parameter %d (the plug-in has %d)", step.line, step.value, parameters);
        return false;
    }

    Impl& m_host;
    Display* m_display;
    Window m_answers = 0;
    Atom m_settleAtom = None;
    Time m_questions = 0;
    std::size_t m_current = 0;
    std::vector<bool> m_destroyed = std::vector<bool>(m_host.editors.size(), false);
    KeyCode m_spareKeyCode = 0;
    std::size_t m_linesSearched = 0;
};

int EditorHost::Impl::run(const InputScript* script)
{
    std::thread runner;
    keepLines = script != nullptr;
    if (script)
        startCapture();
    if (script)
        runner = std::thread([this, script] {
            ScriptRunner(*this).run(*script);
            quit = true;
        });
    const std::uint64_t begin = nowMillis();
    std::thread watchdog;
    if (options.seconds > 0)
        watchdog =
            std::thread([this, begin] { guardDeadline(begin + static_cast<std::uint64_t>(options.seconds * 1000.0)); });
    std::uint64_t nextIdle = begin;
    while (!quit)
    {
        std::uint64_t now = nowMillis();
        if (now >= nextIdle)
        {
            idleSince = now;
            for (auto& e : editors)
                if (e->open)
                    e->plugin->dispatch(effEditIdle);
            noteIdle();
            idleSince = 0;
            nextIdle += static_cast<std::uint64_t>(options.idleMillis);
            if (nextIdle <= now)
                nextIdle = now + static_cast<std::uint64_t>(options.idleMillis);
        }
        handleHostEvents();
        serveRequests();
        if (options.seconds > 0 && now - begin >= static_cast<std::uint64_t>(options.seconds * 1000.0))
            quit = true;
        // A lost display takes every window with it.
        if (!script && (displayLost || std::none_of(editors.begin(), editors.end(),
                                                    [](auto& e) { return e->windowAlive.load(); })))
            quit = true;
        now = nowMillis();
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(displayLost ? nullptr : &descriptor, displayLost ? 0 : 1,
             nextIdle > now ? static_cast<int>(nextIdle - now) : 0);
    }
    {
        std::lock_guard<std::mutex> lock(requestMutex);
        stopping = true;
        requestDone.notify_all();
    }
    if (runner.joinable())
        runner.join();
    for (auto& e : editors)
        closeEditor(*e);
    for (auto& e : editors)
        if (e->windowAlive && !displayLost)
        {
            XDestroyWindow(display, e->window);
            e->windowAlive = false;
        }
    if (!displayLost)
        XSync(display, False);
    stopCapture();
    {
        std::lock_guard<std::mutex> lock(runMutex);
        ended = true;
        runEnded.notify_all();
    }
    if (watchdog.joinable())
        watchdog.join();
    if (failedSteps > 0)
        line("host failed: %d script steps could not be done", failedSteps.load());
    line("host done");
    return failedSteps > 0 ? 1 : 0;
}

EditorHost::EditorHost(const EditorHostOptions& options) : m_impl(std::make_unique<Impl>(options))
{
    m_impl->start();
}

EditorHost::~EditorHost() = default;

int EditorHost::run(const InputScript* script)
{
    return m_impl->run(script);
}

int EditorHost::editorCount() const
{
    return static_cast<int>(m_impl->editors.size());
}

HostedPlugin& EditorHost::plugin(int editor)
{
    return *m_impl->editors.at(static_cast<std::size_t>(editor))->plugin;
}

bool EditorHost::open(int editor)
{
    Impl::Editor& e = *m_impl->editors.at(static_cast<std::size_t>(editor));
    if (e.windowAlive)
        XRaiseWindow(m_impl->display, e.window);
    m_impl->openEditor(e);
    return e.open;
}

void EditorHost::close(int editor)
{
    m_impl->closeEditor(*m_impl->editors.at(static_cast<std::size_t>(editor)));
}

void EditorHost::idle()
{
    for (auto& e : m_impl->editors)
        if (e->open)
            e->plugin->dispatch(effEditIdle);
    m_impl->handleHostEvents();
}

bool EditorHost::showsContent(int editor)
{
    return m_impl->showsContent(*m_impl->editors.at(static_cast<std::size_t>(editor)));
}
