#pragma once

// An open editor on a fake effect and a fake window, with a fake clock:
// a frame whose parameter edits reach a recording host.

#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/ToolkitHost.h"

#include <string>

struct EditorHarness
{
    explicit EditorHarness(CRect size = CRect(0, 0, 200, 100)) : editor(new ToolkitTestEditor(&effect, size))
    {
        editor->open(platform.parentWindow());
        window = FakePlatform::windowOf(editor->getFrame());
    }

    CFrame* frame() const { return editor->getFrame(); }

    // The host's begin and end edits so far, as "begin 7 end 7".
    std::string hostEdits() const
    {
        std::string edits;
        for (const ToolkitHostCall& call : effect.calls)
            if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit)
                edits += std::string(edits.empty() ? "" : " ") +
                         (call.opcode == audioMasterBeginEdit ? "begin " : "end ") + std::to_string(call.index);
        return edits;
    }

    FakeClock clock;
    FakePlatform platform;
    ToolkitHostEffect effect; // owns the editor
    ToolkitTestEditor* editor;
    FakePlatformWindow* window = nullptr;
};
