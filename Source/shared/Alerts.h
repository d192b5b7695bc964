#pragma once

// The modal message box and the three-button question. Both go through one
// replaceable handler: the default writes to standard error and answers with
// the default button; an open editor installs one that shows a window.
class AlertHandler
{
public:
    virtual ~AlertHandler();
    virtual void showAlert(const char* message, const char* informative);
    // 2 "Skip All" (the default button), 0 "Stop", 1 "Skip".
    virtual int askSkipStop(const char* title, const char* message);
};

enum SkipStopAnswer
{
    kAnswerStop = 0,
    kAnswerSkip = 1,
    kAnswerSkipAll = 2,
};

// Installs handler (null restores the default); returns the previous one.
AlertHandler* setAlertHandler(AlertHandler* handler);

void showAlert(const char* message, const char* informative);
int askSkipStop(const char* title, const char* message);

// An alert found while no window may wait on the user (an instance being
// created, an editor being opened): kept until showDeferredAlerts.
void deferAlert(const char* message, const char* informative);
// Shows every kept alert once, in the order they came, through the handler.
void showDeferredAlerts();
