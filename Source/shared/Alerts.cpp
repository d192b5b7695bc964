#include "Source/shared/Alerts.h"

#include <atomic>
#include <cstdio>

namespace
{
AlertHandler defaultHandler;
std::atomic<AlertHandler*> currentHandler{&defaultHandler};

const char* orEmpty(const char* text)
{
    return text != nullptr ? text : "";
}
}

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
    AlertHandler* previous = currentHandler.exchange(handler != nullptr ? handler : &defaultHandler,
                                                     std::memory_order_acq_rel);
    return previous == &defaultHandler ? nullptr : previous;
}

void showAlert(const char* message, const char* informative)
{
    currentHandler.load(std::memory_order_acquire)->showAlert(message, informative);
}

int askSkipStop(const char* title, const char* message)
{
    return currentHandler.load(std::memory_order_acquire)->askSkipStop(title, message);
}
