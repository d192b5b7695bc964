#pragma once

// Takes the alerts in place of the default handler for its lifetime and
// keeps their titles and texts.

#include "Source/shared/Alerts.h"

#include <string>
#include <vector>

struct RecordingAlerts : AlertHandler
{
    RecordingAlerts() : previous(setAlertHandler(this)) {}
    ~RecordingAlerts() override { setAlertHandler(previous); }
    void showAlert(const char* message, const char* informative) override
    {
        titles.push_back(message);
        texts.push_back(informative);
    }

    AlertHandler* previous;
    std::vector<std::string> titles;
    std::vector<std::string> texts;
};
