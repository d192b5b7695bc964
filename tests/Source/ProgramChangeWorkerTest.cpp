#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "Source/Flavour.h"
#include "Source/ProgramChangeWorker.h"
#include "Source/Zentrova.h"
#include "tests/support/TemporaryHome.h"

namespace
{
VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Requester : public ProgramChangeWorker::Client
{
public:
    bool hasProgramChangeRequest() const override { return request.load(); }
    void serveProgramChangeRequest() override { request = false; }

    // Lets the worker go once over all its clients.
    void waitForARound()
    {
        request = true;
        ProgramChangeWorker::wake();
        ProgramChangeWorker::waitUntilServed(this);
    }

    std::atomic<bool> request{false};
};

// An instance whose building goes on after the plug-in object's own
// constructor, as an instance with its editor does, and lets the worker run
// meanwhile.
class LateFinisher : public Zentrova
{
public:
    explicit LateFinisher(Requester& other) : Zentrova(&host, effectFlavour())
    {
        other.waitForARound();
        complete = true;
    }

    std::atomic<bool> complete{false};
    mutable std::atomic<int> askedEarly{0};
    mutable std::atomic<int> askedLater{0};

private:
    bool hasMemoryRequest() const override
    {
        if (complete)
            ++askedLater;
        else
            ++askedEarly;
        return false;
    }
};
} // namespace

TEST(ProgramChangeWorker, AnInstanceIsServedOnlyOnceItIsCompleteAndStartsServing)
{
    TemporaryHome home;
    Requester other;
    ProgramChangeWorker::attach(&other);
    ProgramChangeWorker::start();
    auto instance = std::make_unique<LateFinisher>(other);
    EXPECT_EQ(instance->askedEarly, 0);

    instance->startMidiProgramChanges();
    other.waitForARound();
    EXPECT_GT(instance->askedLater, 0);
    instance.reset();
    ProgramChangeWorker::detach(&other);
}
