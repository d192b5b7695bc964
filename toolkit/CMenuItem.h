#pragma once

#include <cstdint>
#include <string>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"

class CBitmap;
class COptionMenu;

// One entry of an option menu: a title with flags, and optionally a
// submenu, an icon and a key equivalent. It holds a reference of its
// submenu and its icon.
class CMenuItem : public CBaseObject
{
public:
    enum Flags : std::int64_t
    {
        kNoFlags = 0,
        kDisabled = 0x1,
        kTitle = 0x2,
        kChecked = 0x4,
        kSeparator = 0x8,
    };

    explicit CMenuItem(const char* title, std::int64_t flags = kNoFlags, const char* keycode = nullptr,
                       CButtonState keyModifiers = 0, CBitmap* icon = nullptr);
    CMenuItem(const char* title, COptionMenu* submenu, CBitmap* icon = nullptr);
    // The copy shares the submenu and the icon.
    CMenuItem(const CMenuItem& item);
    CMenuItem& operator=(const CMenuItem&) = delete;
    ~CMenuItem() override;

    // Null clears the title.
    virtual void setTitle(const char* title);
    virtual void setSubmenu(COptionMenu* submenu);
    virtual void setKey(const char* keycode, CButtonState keyModifiers = 0);
    virtual void setEnabled(bool state = true) { setFlag(kDisabled, !state); }
    virtual void setChecked(bool state = true) { setFlag(kChecked, state); }
    virtual void setIsTitle(bool state = true) { setFlag(kTitle, state); }
    virtual void setIsSeparator(bool state = true) { setFlag(kSeparator, state); }
    virtual void setIcon(CBitmap* icon);

    // Null when there is none.
    const char* getTitle() const { return m_hasTitle ? m_title.c_str() : nullptr; }
    const char* getKeycode() const { return m_hasKeycode ? m_keycode.c_str() : nullptr; }
    COptionMenu* getSubmenu() const { return m_submenu; }
    CBitmap* getIcon() const { return m_icon; }
    std::int64_t getFlags() const { return m_flags; }
    CButtonState getKeyModifiers() const { return m_keyModifiers; }
    bool isEnabled() const { return !(m_flags & kDisabled); }
    bool isChecked() const { return (m_flags & kChecked) != 0; }
    bool isTitle() const { return (m_flags & kTitle) != 0; }
    bool isSeparator() const { return (m_flags & kSeparator) != 0; }

protected:
    void setFlag(std::int64_t flag, bool state) { m_flags = state ? (m_flags | flag) : (m_flags & ~flag); }

    std::string m_title;
    bool m_hasTitle = false;
    std::string m_keycode;
    bool m_hasKeycode = false;
    COptionMenu* m_submenu = nullptr;
    CBitmap* m_icon = nullptr;
    std::int64_t m_flags = kNoFlags;
    CButtonState m_keyModifiers = 0;
};
