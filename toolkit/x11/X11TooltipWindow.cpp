#include "toolkit/x11/X11TooltipWindow.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Source/shared/Utf8.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/x11/X11ErrorTrap.h"
#include "toolkit/x11/X11Window.h"

namespace
{
constexpr CColor kBackground{255, 245, 194, 255};
constexpr CColor kBorder{150, 140, 100, 255};
constexpr CColor kText{0, 0, 0, 255};
constexpr CCoord kPaddingX = 5;
constexpr CCoord kPaddingY = 3;
constexpr CCoord kLineHeight = 15;
// The tooltip stands this far below its view.
constexpr CCoord kGap = 4;
constexpr double kShownAlpha = 0.95;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}
} // namespace

X11TooltipWindow::X11TooltipWindow(X11Window& owner) : m_owner(owner), m_display(owner.getDisplayPointer()) {}

X11TooltipWindow::~X11TooltipWindow()
{
    if (m_window)
    {
        m_display->removeTarget(m_window);
        if (m_gc && m_display->get())
        {
            X11ErrorTrap trap(*m_display);
            XFreeGC(m_display->get(), m_gc);
        }
        if (m_display->usable())
        {
            X11ErrorTrap trap(*m_display);
            XDestroyWindow(m_display->get(), m_window);
        }
    }
    if (m_image)
        cairo_surface_destroy(m_image);
}

bool X11TooltipWindow::ensureWindow()
{
    if (m_window)
        return true;
    if (!m_display->usable())
        return false;
    Display* d = m_display->get();
    X11ErrorTrap trap(*m_display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask;
    m_window = XCreateWindow(d, m_display->root(), 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWEventMask,
                             &attributes);
    if (!m_window)
        return false;
    Atom type = m_display->atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
    XChangeProperty(d, m_window, m_display->atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    // The pointer passes through to the editor below.
    int eventBase = 0, errorBase = 0;
    if (XFixesQueryExtension(d, &eventBase, &errorBase))
    {
        XserverRegion empty = XFixesCreateRegion(d, nullptr, 0);
        XFixesSetWindowShapeRegion(d, m_window, ShapeInput, 0, 0, empty);
        XFixesDestroyRegion(d, empty);
    }
    m_gc = XCreateGC(d, m_window, 0, nullptr);
    m_display->addTarget(m_window, this);
    return true;
}

void X11TooltipWindow::render(const std::string& text)
{
    const std::vector<std::string> lines = linesOf(Utf8::makeValid(text));
    cairo_surface_t* measureSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(measureSurface);
    auto* measure = new CDrawContext(nullptr, cr);
    cairo_destroy(cr);
    measure->setFont(kFontSystem);
    CCoord textWidth = 0;
    for (const std::string& line : lines)
        textWidth = std::max(textWidth, measure->getStringWidth(line.c_str()));
    measure->release();
    cairo_surface_destroy(measureSurface);

    const int width = static_cast<int>(textWidth + 2 * kPaddingX);
    const int height = static_cast<int>(static_cast<CCoord>(lines.size()) * kLineHeight + 2 * kPaddingY);
    if (m_image)
        cairo_surface_destroy(m_image);
    m_image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cr = cairo_create(m_image);
    auto* context = new CDrawContext(nullptr, cr);
    cairo_destroy(cr);
    context->setClipRect(CRect(0, 0, width, height));
    context->setFillColor(kBorder);
    context->drawRect(CRect(0, 0, width, height), kDrawFilled);
    context->setFillColor(kBackground);
    context->drawRect(CRect(1, 1, width - 1, height - 1), kDrawFilled);
    context->setFont(kFontSystem);
    context->setFontColor(kText);
    CCoord y = kPaddingY;
    for (const std::string& line : lines)
    {
        context->drawString(line.c_str(), CRect(kPaddingX, y, width - kPaddingX, y + kLineHeight), kLeftText, true);
        y += kLineHeight;
    }
    context->release();
    cairo_surface_flush(m_image);
}

void X11TooltipWindow::show(const CRect& anchor, const std::string& text)
{
    if (!ensureWindow())
        return;
    render(text);
    const int width = cairo_image_surface_get_width(m_image);
    const int height = cairo_image_surface_get_height(m_image);
    const CPoint bottomLeft = m_owner.frameToScreen(CPoint(anchor.left, anchor.bottom));
    const CPoint centre = m_owner.frameToScreen(CPoint(anchor.left + anchor.width() / 2, anchor.top + anchor.height() / 2));
    std::vector<CRect> monitors = m_display->monitors();
    CRect monitor = monitors.empty() ? CRect(0, 0, width, height) : monitors.front();
    for (const CRect& m : monitors)
        if (m.pointInside(centre))
            monitor = m;
    const CCoord x = std::clamp<CCoord>(bottomLeft.h + (anchor.width() - width) / 2, monitor.left,
                                        std::max(monitor.left, monitor.right - width));
    const CCoord y = std::clamp<CCoord>(bottomLeft.v + kGap, monitor.top, std::max(monitor.top, monitor.bottom - height));

    Display* d = m_display->get();
    X11ErrorTrap trap(*m_display);
    XMoveResizeWindow(d, m_window, static_cast<int>(x), static_cast<int>(y), static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    m_alpha = kShownAlpha;
    if (hasCompositor())
    {
        const auto opacity = static_cast<std::uint32_t>(m_alpha * 0xFFFFFFFFu);
        XChangeProperty(d, m_window, m_display->atom("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&opacity), 1);
    }
    XMapRaised(d, m_window);
    m_shown = true;
    copyToWindow();
}

void X11TooltipWindow::setAlpha(double alpha)
{
    if (!m_shown || !m_display->usable())
        return;
    if (alpha >= m_alpha)
        return;
    if (!hasCompositor())
    {
        // Without a compositor nothing is translucent.
        hide();
        return;
    }
    m_alpha = alpha;
    X11ErrorTrap trap(*m_display);
    const auto opacity = static_cast<std::uint32_t>(std::clamp(alpha, 0.0, 1.0) * 0xFFFFFFFFu);
    XChangeProperty(m_display->get(), m_window, m_display->atom("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&opacity), 1);
    XFlush(m_display->get());
}

void X11TooltipWindow::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    if (!m_display->usable())
        return;
    X11ErrorTrap trap(*m_display);
    XUnmapWindow(m_display->get(), m_window);
    XFlush(m_display->get());
}

bool X11TooltipWindow::hasCompositor()
{
    if (!m_display->usable())
        return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(m_display->screen());
    X11ErrorTrap trap(*m_display);
    return XGetSelectionOwner(m_display->get(), m_display->atom(name.c_str())) != None;
}

void X11TooltipWindow::copyToWindow()
{
    if (!m_shown || !m_image || !m_display->usable())
        return;
    Display* d = m_display->get();
    m_display->putImage(m_window, m_gc, DefaultVisual(d, m_display->screen()), DefaultDepth(d, m_display->screen()),
                        m_image, 0, 0, cairo_image_surface_get_width(m_image), cairo_image_surface_get_height(m_image));
    X11ErrorTrap trap(*m_display);
    XFlush(d);
}

void X11TooltipWindow::handleEvent(XEvent& event)
{
    if (event.type == Expose && event.xexpose.count == 0)
        copyToWindow();
}
