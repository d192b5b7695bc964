#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/CViewContainer.h"

class CKey;
class ZentrovaStateOwner;

// The playable on-screen keyboard: keys cut out of a white-key and a
// black-key image (each an up state above a down state). Clicking and
// dragging plays notes in the engine; the keys light up only from the note
// states the engine sends back.
class CKeyboard : public CViewContainer
{
public:
    // The index under which notes travel to the engine.
    static constexpr long kNoteParameter = 585;
    static constexpr std::int32_t kNoNote = 999;

    // Starts at the first white key at or above firstNote and ends at the
    // whiteKeys-th white key or at note 127, whichever comes first. Empty
    // without both images or when the black keys do not fit between the
    // white ones.
    CKeyboard(const CRect& size, CFrame* frame, CBitmap* whiteImage, CBitmap* blackImage, std::int32_t firstNote,
              std::int32_t whiteKeys);
    // A note still held with the mouse is released.
    ~CKeyboard() override;

    // Where notes go; none sends nothing.
    void setEffect(ZentrovaStateOwner* effect) { m_effect = effect; }
    // A note lights while at least one source holds it down.
    void setNoteState(std::int32_t note, bool down);
    void releaseAllKeys();

    bool isEmpty() const { return m_notes.empty(); }
    std::int32_t getFirstNote() const { return m_firstNote; }
    std::int32_t getLastNote() const { return m_firstNote + static_cast<std::int32_t>(m_notes.size()) - 1; }
    // The note under a point of the parent's coordinates, or kNoNote.
    std::int32_t noteAt(const CPoint& where) const;
    // The key view of the note's upper part, and of the lower part of a
    // white note (null for a black one); null outside the keyboard.
    CKey* upperKey(std::int32_t note) const;
    CKey* lowerKey(std::int32_t note) const;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    void onMouseCancel() override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* className) const override;

private:
    struct NoteRecord
    {
        std::int32_t pressCount = 0;
        CKey* upper = nullptr;
        CKey* lower = nullptr;
    };
    // The images cut from the white keys.
    enum Image
    {
        kLowerImage,
        kCImage,
        kDImage,
        kEImage,
        kFImage,
        kGImage,
        kBImage,
        kFirstImage,
        kLastImage,
        kImageCount
    };

    // Nothing is made when the images cannot give a keyboard.
    bool build(CBitmap* whiteImage, CBitmap* blackImage, std::int32_t firstNote, std::int32_t whiteKeys);
    // The offset from the first note under a point, or kNoNote.
    std::int32_t offsetAt(const CPoint& where) const;
    void sendNote(std::int32_t offset, bool on);
    void releaseMouseNote();

    CCoord m_whiteWidth = 0;
    CCoord m_blackWidth = 0;
    CCoord m_blackHeight = 0;
    std::int32_t m_firstNote = 0;
    std::vector<NoteRecord> m_notes;
    std::vector<CCoord> m_upperEdges;
    std::vector<std::int32_t> m_whiteKeyOffsets;
    CBitmap* m_images[kImageCount] = {};
    CBitmap* m_blackImage = nullptr;
    // An offset from the first note.
    std::int32_t m_mouseNote = kNoNote;
    ZentrovaStateOwner* m_effect = nullptr;
};
