#include "Source/shared/Alerts.h"

#include "dsp/Lasting.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace
{
Lasting<AlertHandler> defaultHandler;
std::atomic<AlertHandler*> currentHandler{defaultHandler.get()};

const char* orEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

std::mutex deferredMutex;
Lasting<std::vector<std::pair<std::string, std::string>>> deferredAlerts;
std::vector<std::pair<std::string, std::string>>& deferred = *deferredAlerts;
} // namespace

AlertHandler::~AlertHandler() = default;

void AlertHandler::showAlert(const char* message, const char* informative)
{
    std::fprintf(stderr, "Zentrova2: %s\n%s\n", orEmpty(message), orEmpty(informative));
}

int AlertHandler::askSkipStop(const char* title, const char* message)
{
    std::fprintf(stderr, "Zentrova2: %s\n%s\n(answered: Skip All)\n", orEmpty(title), orEmpty(message));
    return kAnswerSkipAll;
}

AlertHandler* setAlertHandler(AlertHandler* handler)
{
    AlertHandler* previous = currentHandler.exchange(handler != nullptr ? handler : defaultHandler.get(),
                                                     std::memory_order_acq_rel);
    return previous == defaultHandler.get() ? nullptr : previous;
}

void showAlert(const char* message, const char* informative)
{
    currentHandler.load(std::memory_order_acquire)->showAlert(message, informative);
}

int askSkipStop(const char* title, const char* message)
{
    return currentHandler.load(std::memory_order_acquire)->askSkipStop(title, message);
}

void deferAlert(const char* message, const char* informative)
{
    std::lock_guard<std::mutex> lock(deferredMutex);
    deferred.emplace_back(orEmpty(message), orEmpty(informative));
}

void showDeferredAlerts()
{
    // Taken whole before any is shown: an alert's window idles the editor,
    // which must find nothing left to show again.
    std::vector<std::pair<std::string, std::string>> due;
    {
        std::lock_guard<std::mutex> lock(deferredMutex);
        due.swap(deferred);
    }
    for (const auto& alert : due)
        showAlert(alert.first.c_str(), alert.second.c_str());
}
