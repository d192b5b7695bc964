#pragma once

#include <string>
#include <vector>

#include "toolkit/CControlListener.h"
#include "toolkit/CViewContainer.h"

class CDialogFrame;
class PlatformWindow;
class CTextButton;

// The content of a small modal message window: a message in bold, an
// informative text below it and a row of buttons along the bottom, the
// first button rightmost. Return presses the default button, Escape the
// cancel button (when there is one).
class CAlertPanel : public CViewContainer, public CControlListener
{
public:
    struct Layout
    {
        CRect size;
        std::vector<std::string> messageLines;
        std::vector<std::string> informativeLines;
        // In the order of the button titles, in the panel's coordinates.
        std::vector<CRect> buttons;
    };

    static constexpr CCoord kWidth = 420;
    // Around the texts and the buttons: the texts' lines are at most
    // kWidth - 2 * kMargin wide.
    static constexpr CCoord kMargin = 16;

    // Where everything goes, for the panel and for whoever clicks it.
    static Layout layout(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons);

    // Shows the panel above owner until a button is pressed: its index,
    // or -1 when the window was closed or could not be shown.
    static int run(PlatformWindow* owner, const std::string& windowTitle, const std::string& message,
                   const std::string& informative, const std::vector<std::string>& buttons, int defaultButton,
                   int cancelButton = -1);

    void valueChanged(CControl* control) override;
    void drawBackgroundRect(CDrawContext* context, const CRect& updateRect) override;

private:
    CAlertPanel(CDialogFrame* dialog, Layout layout, const std::vector<std::string>& buttons, int defaultButton);

    CDialogFrame* m_dialog;
    Layout m_layout;
};
