#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "editor/layout/GuiLayout.h"

// The expanded layouts of the process, one for each window configuration in
// use, made on first use and shared read-only by every open editor. The XML
// layer counts references in its wrappers without locking: every walk over
// an expansion holds lock(). Acquire and release may come from any thread.
class SharedLayout
{
public:
    // The configurations the document offers, read once per process; empty
    // when it does not load.
    static const std::vector<LayoutConfiguration>& configurations();

    // The expansion for that configuration (an unknown name as GuiLayout
    // takes it), with one user more; null when the document does not load.
    static GuiLayout* acquire(const std::string& configurationName);
    // One user fewer. The wrappers that walks left behind go at every
    // release, every expansion at the last.
    static void release();

    static std::unique_lock<std::recursive_mutex> lock();
};
