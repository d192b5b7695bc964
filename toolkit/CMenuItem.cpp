#include "toolkit/CMenuItem.h"

#include "toolkit/CBitmap.h"
#include "toolkit/COptionMenu.h"

CMenuItem::CMenuItem(const char* title, std::int64_t flags, const char* keycode, CButtonState keyModifiers,
                     CBitmap* icon)
    : m_flags(flags)
{
    setTitle(title);
    setKey(keycode, keyModifiers);
    setIcon(icon);
}

CMenuItem::CMenuItem(const char* title, COptionMenu* submenu, CBitmap* icon)
{
    setTitle(title);
    setSubmenu(submenu);
    setIcon(icon);
}

CMenuItem::CMenuItem(const CMenuItem& item)
    : CBaseObject(),
      m_title(item.m_title),
      m_hasTitle(item.m_hasTitle),
      m_keycode(item.m_keycode),
      m_hasKeycode(item.m_hasKeycode),
      m_flags(item.m_flags),
      m_keyModifiers(item.m_keyModifiers)
{
    setSubmenu(item.m_submenu);
    setIcon(item.m_icon);
}

CMenuItem::~CMenuItem()
{
    if (m_icon)
        m_icon->release();
    if (m_submenu)
        m_submenu->release();
}

void CMenuItem::setTitle(const char* title)
{
    m_hasTitle = title != nullptr;
    m_title = title ? title : "";
}

void CMenuItem::setSubmenu(COptionMenu* submenu)
{
    if (submenu)
        submenu->retain();
    if (m_submenu)
        m_submenu->release();
    m_submenu = submenu;
}

void CMenuItem::setKey(const char* keycode, CButtonState keyModifiers)
{
    m_hasKeycode = keycode != nullptr;
    m_keycode = keycode ? keycode : "";
    m_keyModifiers = keyModifiers;
}

void CMenuItem::setIcon(CBitmap* icon)
{
    if (icon)
        icon->retain();
    if (m_icon)
        m_icon->release();
    m_icon = icon;
}
