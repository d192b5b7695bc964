#pragma once

#include "editor/widgets/Widget.h"

// The "SplashScreen" type: a clickable area ("active_x", "active_y",
// "active_width", "active_height") that shows the image over the widget's
// own rectangle until it is clicked away.
class SplashScreenWidget : public Widget
{
public:
    SplashScreenWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                       GuiInfo& guiInfo);
};
