#pragma once

#include "toolkit/CBaseObject.h"

class CTabButton;
class CView;

// One tab of a tab view: its view and its button, linked to its
// neighbours. It holds the reference of the view it was given.
class CTabChildView : public CBaseObject
{
public:
    CTabChildView(CView* view, CTabButton* button);
    ~CTabChildView() override;
    CTabChildView(const CTabChildView&) = delete;
    CTabChildView& operator=(const CTabChildView&) = delete;

    CView* m_view;
    CTabChildView* m_previous = nullptr;
    CTabChildView* m_next = nullptr;
    CTabButton* m_button;
};
