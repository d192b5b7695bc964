#include "toolkit/IMultiBitmapControl.h"

#include "toolkit/CControl.h"

void IMultiBitmapControl::computeHeightOfOneImage()
{
    if (auto* control = dynamic_cast<CControl*>(this))
        m_heightOfOneImage = control->getViewSize().height();
}
