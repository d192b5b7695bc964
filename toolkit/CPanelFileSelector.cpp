#include "toolkit/CPanelFileSelector.h"

#include "toolkit/CDialogFrame.h"
#include "toolkit/CFileSelectorPanel.h"
#include "toolkit/CFrame.h"
#include "toolkit/SharedPointer.h"

namespace
{
const char* defaultTitle(CNewFileSelector::Style style)
{
    switch (style)
    {
    case CNewFileSelector::kSelectSaveFile:
        return "Save";
    case CNewFileSelector::kSelectDirectory:
        return "Choose a Folder";
    default:
        return "Open";
    }
}
} // namespace

CPanelFileSelector::CPanelFileSelector(CFrame* frame, Style style) : CNewFileSelector(frame, style) {}

bool CPanelFileSelector::runInternal(CBaseObject* delegate)
{
    PlatformWindow* owner = m_frame ? m_frame->getPlatformWindow() : nullptr;
    if (!owner || m_dialog)
        return false;
    SharedPointer<CBaseObject> keepDelegate(delegate);
    m_result.clear();
    m_typeGiven = false;

    auto* dialog = new CDialogFrame(CRect(0, 0, CFileSelectorPanel::kWidth, CFileSelectorPanel::kHeight));
    auto* panel = new CFileSelectorPanel(dialog, *this);
    dialog->addView(panel);
    m_dialog = dialog;
    const std::int32_t result = dialog->runModal(owner, m_title ? *m_title : defaultTitle(m_style));
    m_dialog = nullptr;
    if (result == 1)
    {
        m_result = panel->getResult();
        m_typeGiven = panel->isTypeGiven();
    }
    dialog->release();

    if (delegate)
        delegate->notify(this, kSelectEndMessage);
    return true;
}

void CPanelFileSelector::cancelInternal()
{
    if (m_dialog)
        m_dialog->end(0);
}
