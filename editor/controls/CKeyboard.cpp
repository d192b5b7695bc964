#include "editor/controls/CKeyboard.h"

#include <algorithm>
#include <cstring>

#include <cairo.h>

#include "Source/state/ZentrovaStateOwner.h"
#include "editor/controls/CKey.h"
#include "toolkit/CBitmap.h"

namespace
{
// Pitch classes of the white keys C D E F G A B.
constexpr std::int32_t kWhitePitchClasses[] = {0, 2, 4, 5, 7, 9, 11};
constexpr std::int32_t kHighestNote = 127;
// The velocity byte: a note-on, and a note-off read as -64.
constexpr std::int64_t kNoteOnVelocity = 64;
constexpr std::int64_t kNoteOffVelocity = 192;
constexpr int kGuiLane = 1;

bool isWhite(std::int32_t note)
{
    const std::int32_t pitchClass = note % 12;
    return std::find(std::begin(kWhitePitchClasses), std::end(kWhitePitchClasses), pitchClass) !=
           std::end(kWhitePitchClasses);
}

struct Slice
{
    CCoord start;
    CCoord end;
    bool fits(CCoord width) const { return 0 <= start && start <= end && end <= width; }
};

// Columns [x, x + width) of source's two states, rows [top, top + height)
// of each, as a two-state image of its own.
CBitmap* cutImage(CBitmap* source, CCoord x, CCoord width, CCoord top, CCoord height, CCoord stateHeight)
{
    auto* image = new CBitmap(width, 2 * height);
    cairo_surface_t* surface = image->getSurface();
    if (!surface)
        return image;
    cairo_t* cairo = cairo_create(surface);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    for (int state = 0; state < 2; ++state)
    {
        cairo_set_source_surface(cairo, source->getSurface(), static_cast<double>(-x),
                                 static_cast<double>(state * height - (top + state * stateHeight)));
        cairo_rectangle(cairo, 0, static_cast<double>(state * height), static_cast<double>(width),
                        static_cast<double>(height));
        cairo_fill(cairo);
    }
    cairo_destroy(cairo);
    cairo_surface_mark_dirty(surface);
    image->dropCachedImage();
    return image;
}

bool usable(const CBitmap* image)
{
    return image && image->getSurface() && image->getWidth() > 0 && image->getHeight() > 1;
}
} // namespace

CKeyboard::CKeyboard(const CRect& size, CFrame* frame, CBitmap* whiteImage, CBitmap* blackImage, std::int32_t firstNote,
                     std::int32_t whiteKeys)
    : CViewContainer(size, frame, nullptr)
{
    setTransparency(true);
    build(whiteImage, blackImage, firstNote, whiteKeys);
}

CKeyboard::~CKeyboard()
{
    releaseMouseNote();
    // The keys go first: they draw from the images.
    removeAll(true);
    for (CBitmap*& image : m_images)
        if (image)
        {
            image->release();
            image = nullptr;
        }
    if (m_blackImage)
        m_blackImage->release();
}

bool CKeyboard::build(CBitmap* whiteImage, CBitmap* blackImage, std::int32_t firstNote, std::int32_t whiteKeys)
{
    if (!usable(whiteImage) || !usable(blackImage) || firstNote < 0 || firstNote > kHighestNote || whiteKeys < 1)
        return false;
    const CCoord w = whiteImage->getWidth();
    const CCoord hw = whiteImage->getHeight() / 2;
    const CCoord bw = blackImage->getWidth();
    const CCoord hb = blackImage->getHeight() / 2;
    if (hb > hw)
        return false;

    // Upper parts: three white keys share their width with two black keys
    // from C to E, four with three from F to B.
    const CCoord a = 3 * w - 2 * bw;
    const CCoord d = a - 2 * (a / 3);
    const Slice c{0, a / 3};
    const Slice e{w - a / 3, w};
    const Slice dSlice{(w - d) / 2, (w - d) / 2 + d};
    const CCoord b = 4 * w - 3 * bw;
    const CCoord g = b / 4;
    const CCoord f = (b - 2 * g) / 2;
    const Slice fSlice{0, f};
    const Slice gSlice{bw - w + f, bw - w + f + g};
    const Slice bSlice{w + f + 2 * g - b, w};
    for (const Slice& slice : {c, e, dSlice, fSlice, gSlice, bSlice})
        if (!slice.fits(w))
            return false;
    // By pitch class of a white key: its slice (A shares G's).
    const Slice* sliceOf[12] = {&c,      nullptr, &dSlice, nullptr, &e,      &fSlice,
                                nullptr, &gSlice, nullptr, &gSlice, nullptr, &bSlice};

    std::int32_t firstWhite = firstNote;
    while (!isWhite(firstWhite))
        ++firstWhite;
    std::int32_t lastWhite = firstWhite;
    std::int32_t whites = 0;
    for (std::int32_t note = firstWhite; note <= kHighestNote && whites < whiteKeys; ++note)
        if (isWhite(note))
        {
            ++whites;
            lastWhite = note;
        }
    m_firstNote = firstWhite;

    // The first key reaches left to the edge where no black key lies
    // before it, the last key right to the edge.
    const std::int32_t firstClass = firstWhite % 12;
    CCoord firstEnd = w;
    if (whites > 1 && (firstClass == 0 || firstClass == 2 || firstClass == 5))
        firstEnd = sliceOf[firstClass]->end;
    else if (whites > 1 && (firstClass == 7 || firstClass == 9))
        firstEnd = gSlice.end;
    const std::int32_t lastClass = lastWhite % 12;
    const CCoord lastStart = lastClass == 0 || lastClass == 5 ? 0 : sliceOf[lastClass]->start;

    m_whiteWidth = w;
    m_blackWidth = bw;
    m_blackHeight = hb;
    m_images[kLowerImage] = cutImage(whiteImage, 0, w, hb, hw - hb, hw);
    m_images[kCImage] = cutImage(whiteImage, c.start, c.end - c.start, 0, hb, hw);
    m_images[kDImage] = cutImage(whiteImage, dSlice.start, dSlice.end - dSlice.start, 0, hb, hw);
    m_images[kEImage] = cutImage(whiteImage, e.start, e.end - e.start, 0, hb, hw);
    m_images[kFImage] = cutImage(whiteImage, fSlice.start, fSlice.end - fSlice.start, 0, hb, hw);
    m_images[kGImage] = cutImage(whiteImage, gSlice.start, gSlice.end - gSlice.start, 0, hb, hw);
    m_images[kBImage] = cutImage(whiteImage, bSlice.start, bSlice.end - bSlice.start, 0, hb, hw);
    m_images[kFirstImage] = cutImage(whiteImage, 0, firstEnd, 0, hb, hw);
    m_images[kLastImage] = cutImage(whiteImage, lastStart, w - lastStart, 0, hb, hw);
    m_blackImage = blackImage;
    m_blackImage->retain();
    const Image imageOf[12] = {kCImage, kCImage, kDImage, kCImage, kEImage, kFImage,
                               kCImage, kGImage, kCImage, kGImage, kCImage, kBImage};

    const std::int32_t noteCount = lastWhite - firstWhite + 1;
    m_notes.resize(static_cast<std::size_t>(noteCount));
    CCoord x = 0;
    for (std::int32_t offset = 0; offset < noteCount; ++offset)
    {
        const std::int32_t note = firstWhite + offset;
        NoteRecord& record = m_notes[static_cast<std::size_t>(offset)];
        CBitmap* image = m_blackImage;
        if (isWhite(note))
        {
            image = m_images[offset == 0 ? kFirstImage : offset == noteCount - 1 ? kLastImage : imageOf[note % 12]];
            const CCoord left = static_cast<CCoord>(m_whiteKeyOffsets.size()) * w;
            record.lower = new CKey(CRect(left, hb, left + w, hw), m_images[kLowerImage], hw - hb);
            m_whiteKeyOffsets.push_back(offset);
        }
        record.upper = new CKey(CRect(x, 0, x + image->getWidth(), hb), image, hb);
        m_upperEdges.push_back(x);
        x += image->getWidth();
        addView(record.upper);
        if (record.lower)
            addView(record.lower);
    }

    CRect size(m_size.left, m_size.top, m_size.left + w * whites, m_size.top + hw);
    setViewSize(size, false);
    setMouseableArea(size);
    return true;
}

std::int32_t CKeyboard::noteAt(const CPoint& where) const
{
    const std::int32_t offset = offsetAt(where);
    return offset == kNoNote ? kNoNote : m_firstNote + offset;
}

std::int32_t CKeyboard::offsetAt(const CPoint& where) const
{
    if (m_notes.empty() || !where.isInside(m_size))
        return kNoNote;
    const CCoord x = where.h - m_size.left;
    const CCoord y = where.v - m_size.top;
    const auto count = static_cast<std::int32_t>(m_notes.size());
    if (x >= m_whiteWidth * static_cast<CCoord>(m_whiteKeyOffsets.size()))
        return count - 1;
    if (y < m_blackHeight)
    {
        auto index = static_cast<std::int32_t>(std::min<CCoord>(x / m_blackWidth, count - 1));
        while (index > 0 && x < m_upperEdges[static_cast<std::size_t>(index)])
            --index;
        while (index + 1 < count && x >= m_upperEdges[static_cast<std::size_t>(index + 1)])
            ++index;
        return index;
    }
    const CCoord whiteKey = x / m_whiteWidth;
    if (whiteKey >= static_cast<CCoord>(m_whiteKeyOffsets.size()))
        return kNoNote;
    return m_whiteKeyOffsets[static_cast<std::size_t>(whiteKey)];
}

CKey* CKeyboard::upperKey(std::int32_t note) const
{
    const std::int32_t offset = note - m_firstNote;
    return offset >= 0 && offset < static_cast<std::int32_t>(m_notes.size())
               ? m_notes[static_cast<std::size_t>(offset)].upper
               : nullptr;
}

CKey* CKeyboard::lowerKey(std::int32_t note) const
{
    const std::int32_t offset = note - m_firstNote;
    return offset >= 0 && offset < static_cast<std::int32_t>(m_notes.size())
               ? m_notes[static_cast<std::size_t>(offset)].lower
               : nullptr;
}

void CKeyboard::setNoteState(std::int32_t note, bool down)
{
    const std::int32_t offset = note - m_firstNote;
    if (offset < 0 || offset >= static_cast<std::int32_t>(m_notes.size()))
        return;
    NoteRecord& record = m_notes[static_cast<std::size_t>(offset)];
    record.pressCount = std::max(record.pressCount + (down ? 1 : -1), 0);
    const std::int32_t state = record.pressCount >= 1 ? 1 : 0;
    record.upper->setState(state);
    if (record.lower)
        record.lower->setState(state);
}

void CKeyboard::releaseAllKeys()
{
    for (std::size_t offset = 0; offset < m_notes.size(); ++offset)
        if (m_notes[offset].pressCount > 0)
        {
            m_notes[offset].pressCount = 1;
            setNoteState(m_firstNote + static_cast<std::int32_t>(offset), false);
        }
}

void CKeyboard::sendNote(std::int32_t offset, bool on)
{
    if (!m_effect)
        return;
    const std::int64_t note = m_firstNote + offset;
    m_effect->setPseudoParameter(kGuiLane, kNoteParameter, note * 256 + (on ? kNoteOnVelocity : kNoteOffVelocity), 0);
}

void CKeyboard::releaseMouseNote()
{
    if (m_mouseNote == kNoNote)
        return;
    sendNote(m_mouseNote, false);
    m_mouseNote = kNoNote;
}

CMouseEventResult CKeyboard::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    // A note still held from an earlier press is let go first.
    releaseMouseNote();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKeyboard::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    const std::int32_t note = offsetAt(where);
    if (note == m_mouseNote)
        return kMouseResultHandled;
    releaseMouseNote();
    m_mouseNote = note;
    if (note != kNoNote)
        sendNote(note, true);
    return kMouseResultHandled;
}

CMouseEventResult CKeyboard::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    releaseMouseNote();
    return CViewContainer::onMouseUp(where, buttons);
}

void CKeyboard::onMouseCancel()
{
    releaseMouseNote();
    CViewContainer::onMouseCancel();
}

bool CKeyboard::removed(CView* parent)
{
    // Once out of the window no mouse-up can reach the keyboard.
    releaseMouseNote();
    return CViewContainer::removed(parent);
}

bool CKeyboard::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKeyboard") == 0 || CViewContainer::isTypeOf(className);
}
