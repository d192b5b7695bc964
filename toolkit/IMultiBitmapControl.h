#pragma once

#include "toolkit/BaseTypes.h"

// A control that draws one image out of a vertical strip of equally tall
// images.
class IMultiBitmapControl
{
public:
    virtual ~IMultiBitmapControl() = default;

    virtual void setHeightOfOneImage(const CCoord& height) { m_heightOfOneImage = height; }
    virtual CCoord getHeightOfOneImage() const { return m_heightOfOneImage; }
    // One image as tall as the control itself.
    virtual void computeHeightOfOneImage();

protected:
    CCoord m_heightOfOneImage = 0;
};
