// The audio thread's block path allocates nothing, takes no lock and opens
// no file: all three are counted on the thread that processes a block, while
// it does.

#include "Source/effects/Echo.h"
#include "Source/parameters/ParameterTable.h"
#include "tests/Source/patchtree/PatchLibraryTestSupport.h"
#include "tests/support/Deliverables.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Other threads (the program change worker) may do all of it meanwhile.
thread_local std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> locks{0};
std::atomic<long> fileTouches{0};

void count()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

[[maybe_unused]] void countLock()
{
    if (counting.load(std::memory_order_relaxed))
        locks.fetch_add(1, std::memory_order_relaxed);
}

[[maybe_unused]] void countFileTouch()
{
    if (counting.load(std::memory_order_relaxed))
        fileTouches.fetch_add(1, std::memory_order_relaxed);
}

// The C library's own function of that name.
template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void* allocate(std::size_t size)
{
    count();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    count();
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    count();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    count();
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}

// Without a sanitizer, which brings its own allocator, malloc itself is
// counted too (the aligned buffers come from it).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C"
{
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size)
{
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size)
{
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size)
{
    count();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, std::size_t alignment, std::size_t size)
{
    count();
    *p = __libc_memalign(alignment, size);
    return *p ? 0 : 12;
}

// Locks: the mutexes (also the one behind std::atomic_load of a shared
// pointer), read-write locks and spin locks of the thread library.
#define COUNTED_LOCK(name, type)                                                                                  \
    int name(type* lock)                                                                                          \
    {                                                                                                            \
        countLock();                                                                                             \
        static const auto real = next<int (*)(type*)>(#name);                                                    \
        return real(lock);                                                                                       \
    }
COUNTED_LOCK(pthread_mutex_lock, pthread_mutex_t)
COUNTED_LOCK(pthread_mutex_trylock, pthread_mutex_t)
COUNTED_LOCK(pthread_rwlock_rdlock, pthread_rwlock_t)
COUNTED_LOCK(pthread_rwlock_wrlock, pthread_rwlock_t)
COUNTED_LOCK(pthread_rwlock_tryrdlock, pthread_rwlock_t)
COUNTED_LOCK(pthread_rwlock_trywrlock, pthread_rwlock_t)
COUNTED_LOCK(pthread_spin_lock, pthread_spinlock_t)
COUNTED_LOCK(pthread_spin_trylock, pthread_spinlock_t)
#undef COUNTED_LOCK

int pthread_mutex_timedlock(pthread_mutex_t* lock, const struct timespec* until)
{
    countLock();
    static const auto real = next<int (*)(pthread_mutex_t*, const struct timespec*)>("pthread_mutex_timedlock");
    return real(lock, until);
}

// Files: opened, listed or looked at. The mode argument is there only when
// the call may make a file.
#define READ_MODE(flags, mode)                                                                                   \
    int mode = 0;                                                                                                \
    if ((flags) & (O_CREAT | O_TMPFILE))                                                                         \
    {                                                                                                            \
        va_list arguments;                                                                                       \
        va_start(arguments, flags);                                                                              \
        mode = va_arg(arguments, int);                                                                           \
        va_end(arguments);                                                                                       \
    }
int open(const char* path, int flags, ...)
{
    countFileTouch();
    READ_MODE(flags, mode)
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}
int open64(const char* path, int flags, ...)
{
    countFileTouch();
    READ_MODE(flags, mode)
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}
int openat(int folder, const char* path, int flags, ...)
{
    countFileTouch();
    READ_MODE(flags, mode)
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat");
    return real(folder, path, flags, mode);
}
int openat64(int folder, const char* path, int flags, ...)
{
    countFileTouch();
    READ_MODE(flags, mode)
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    return real(folder, path, flags, mode);
}
#undef READ_MODE
FILE* fopen(const char* path, const char* mode)
{
    countFileTouch();
    static const auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    return real(path, mode);
}
FILE* fopen64(const char* path, const char* mode)
{
    countFileTouch();
    static const auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    return real(path, mode);
}
DIR* opendir(const char* path)
{
    countFileTouch();
    static const auto real = next<DIR* (*)(const char*)>("opendir");
    return real(path);
}
int stat(const char* path, struct stat* out)
{
    countFileTouch();
    static const auto real = next<int (*)(const char*, struct stat*)>("stat");
    return real(path, out);
}
int lstat(const char* path, struct stat* out)
{
    countFileTouch();
    static const auto real = next<int (*)(const char*, struct stat*)>("lstat");
    return real(path, out);
}
}
#endif

namespace
{
// Counts the allocations, locks and file touches made while the plug-in
// processes.
class CountingPlugin : public SoundingPlugin
{
public:
    using SoundingPlugin::SoundingPlugin;

    struct Counts
    {
        long allocations = 0;
        long locks = 0;
        long fileTouches = 0;

        Counts& operator+=(const Counts& other)
        {
            allocations += other.allocations;
            locks += other.locks;
            fileTouches += other.fileTouches;
            return *this;
        }
    };

    Counts countedRunOf(int frames)
    {
        allocations = 0;
        locks = 0;
        fileTouches = 0;
        markCallsWith(&counting);
        run(frames);
        markCallsWith(nullptr);
        return {allocations.load(), locks.load(), fileTouches.load()};
    }

    long countedRun(int frames) { return countedRunOf(frames).allocations; }
};

class BlockAllocation : public ::testing::TestWithParam<Deliverable>
{
};
}

INSTANTIATE_FOR_BOTH_DELIVERABLES(BlockAllocation);

TEST(ProcessAllocation, CountingSeesAllocations)
{
    allocations = 0;
    counting = true;
    int* volatile number = new int(3);
    counting = false;
    delete number;
    EXPECT_GE(allocations.load(), 1);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    allocations = 0;
    counting = true;
    void* volatile block = std::malloc(10);
    counting = false;
    std::free(block);
    EXPECT_EQ(allocations.load(), 1);

    locks = 0;
    fileTouches = 0;
    counting = true;
    std::mutex mutex;
    mutex.lock();
    mutex.unlock();
    struct stat status;
    ::stat("/", &status);
    counting = false;
    EXPECT_EQ(locks.load(), 1);
    EXPECT_EQ(fileTouches.load(), 1);

    // Counted or not, a file is made with the mode asked for.
    TemporaryHome home;
    const std::string path = home.path() + "/made";
    const int file = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
#endif
}

TEST_P(BlockAllocation, BlocksAllocateNothing)
{
    TemporaryHome home;
    CountingPlugin synth(44100.0f, 256, *GetParam().flavour);
    // Warm up: the patch arrives, the wave tables are built.
    synth.run(44100);
    std::int64_t at = 44100;
    for (int i = 0; i < 40; ++i)
    {
        synth.midi(at + 37 * i, 0x90, 30 + 2 * i, 40 + i);
        synth.midi(at + 37 * i + 5, 0xE0, i, 64);
        synth.midi(at + 37 * i + 9, 0xB0, 1, 3 * i);
        synth.midi(at + 37 * i + 11, 0xD0, i, 0);
    }
    synth.midi(at + 4000, 0xB0, 64, 127);
    synth.midi(at + 5000, 0xB0, 69, 127);
    for (int i = 0; i < 40; ++i)
        synth.midi(at + 6000 + 13 * i, 0x80, 30 + 2 * i, 64);
    synth.midi(at + 9000, 0xB0, 64, 0);
    synth.midi(at + 9100, 0xB0, 69, 0);
    synth.midi(at + 9200, 0xB0, 123, 0);
    synth.plugin->setParameter(Param::EffectActive, 1.0f);
    synth.plugin->setParameter(Param::DelayLevel, 0.5f);
    EXPECT_EQ(synth.countedRun(44100 + 3000), 0);
    // The echo's lengths change while the notes sound: the longest and the
    // shortest.
    synth.plugin->setParameter(Param::DelayLengthLeft, 1.0f);
    synth.plugin->setParameter(Param::DelayLengthRight, 0.0f);
    EXPECT_EQ(synth.countedRun(44100), 0);
    synth.plugin->setParameter(Param::DelayLengthLeft, 0.0f);
    synth.plugin->setParameter(Param::DelayLengthRight, 1.0f);
    EXPECT_EQ(synth.countedRun(44100), 0);
    // Four seconds need more than the ring's first two: the worker brings
    // the memory and the audio thread takes it in at a block edge while a
    // note sounds, taking no lock either.
    const Echo& echo = synth.plugin->getEffectsSection().getEcho();
    synth.midi(at + 44100 + 3000 + 2 * 44100, 0x90, 60, 100);
    CountingPlugin::Counts counts;
    for (int i = 0; i < 400 && echo.longestDelay() <= 2 * 2 * 44100; ++i)
    {
        counts += synth.countedRunOf(256);
        // The worker has other work too: it gets real time whatever it does.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(echo.longestDelay(), 2 * 2 * 44100);
    EXPECT_GT(echo.heldBlocks(), 0);
    // The echo leaves the chain and comes back: the worker frees its memory
    // and brings it again, and the delay grows back to its length.
    synth.plugin->setParameter(Param::DelayLevel, 0.0f);
    for (int i = 0; i < 400 && echo.heldBlocks() > 0; ++i)
    {
        counts += synth.countedRunOf(256);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(echo.heldBlocks(), 0);
    EXPECT_LE(echo.longestDelay(), 2 * 2 * 44100);
    synth.plugin->setParameter(Param::DelayLevel, 0.5f);
    for (int i = 0; i < 800 && echo.longestDelay() <= 2 * 2 * 44100; ++i)
    {
        counts += synth.countedRunOf(256);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(echo.longestDelay(), 2 * 2 * 44100);
    EXPECT_EQ(counts.allocations, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_EQ(counts.locks, 0);
#endif
}

// The audio thread only leaves a MIDI program change for the worker, and the
// switch at a later block start sends what the worker loaded.
TEST_P(BlockAllocation, MidiProgramChangesAllocateLockAndOpenNothing)
{
    TemporaryHome home;
    const Deliverable& deliverable = GetParam();
    const std::string bank = librarytest::makeFolder(home.path() + "/.local/share/Vorlix/Zentrova2/" +
                                                     deliverable.patchFolder + "/Bank");
    constexpr int kPatches = 3;
    for (int patch = 0; patch < kPatches; ++patch)
        librarytest::writePatch(bank, "P" + std::to_string(patch), librarytest::Format::Fxp, deliverable.isEffect);
    CountingPlugin synth(44100.0f, 256, *deliverable.flavour);
    for (int patch = 0; patch < kPatches; ++patch)
        synth.plugin->setMidiProgramPath(patch, std::string(deliverable.treePrefix) + "Bank/P" + std::to_string(patch));
    synth.run(44100);
    std::int64_t at = 44100;
    CountingPlugin::Counts counts;
    for (int change = 0; change < 10; ++change)
    {
        const int patch = (change + 1) % kPatches;
        synth.midi(at + 100, 0xC0, patch, 0);
        counts += synth.countedRunOf(256);
        synth.plugin->waitForWorker();
        counts += synth.countedRunOf(512);
        at += 256 + 512;
        EXPECT_EQ(synth.plugin->getStateHandler().getCurrentState().m_patchData.name, "P" + std::to_string(patch))
            << change;
    }
    EXPECT_EQ(counts.allocations, 0);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_EQ(counts.locks, 0);
    EXPECT_EQ(counts.fileTouches, 0);
#endif
}

// Once an instance has played a little, the worker has given the voices'
// buffers their memory: a big first chord then takes none of its page faults
// on the audio thread.
TEST(FirstChord, FindsTheVoicesBuffersInMemory)
{
    TemporaryHome home;
    SoundingPlugin synth(48000.0f, 512, instrumentFlavour());
    synth.run(4096);
    synth.plugin->waitForWorker();
    for (int note = 0; note < 16; ++note)
        synth.midi(4096, 0x90, 40 + 2 * note, 100);
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    synth.run(512);
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Without the worker's help: well over a hundred. (A sanitizer's shadow
    // of the buffers takes its own pages.)
    EXPECT_LT(after.ru_minflt - before.ru_minflt, 40);
#endif
}
