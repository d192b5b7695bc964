#pragma once

#include "toolkit/CNewFileSelector.h"

class CDialogFrame;

// The file selector as our own modal panel of toolkit views, in a dialog
// window above the frame's window. There are no sheets: a delegate hears
// the end once the modal run is over.
class CPanelFileSelector : public CNewFileSelector
{
public:
    CPanelFileSelector(CFrame* frame, Style style);

protected:
    bool runInternal(CBaseObject* delegate) override;
    void cancelInternal() override;

private:
    CDialogFrame* m_dialog = nullptr;
};
