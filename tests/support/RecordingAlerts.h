#pragma once

// Takes the alerts in place of the default handler for its lifetime and
// keeps their titles and texts.

#include "Source/shared/Alerts.h"

#include <cstddef>
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

    // The alerts whose text holds part, each as its title, ": " and its
    // text: alerts left waiting by other tests of the process name other
    // files.
    std::vector<std::string> naming(const std::string& part) const
    {
        std::vector<std::string> found;
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i].find(part) != std::string::npos)
                found.push_back(titles[i] + ": " + texts[i]);
        return found;
    }

    AlertHandler* previous;
    std::vector<std::string> titles;
    std::vector<std::string> texts;
};
