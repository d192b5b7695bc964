#include "toolkit/CTabChildView.h"

#include "toolkit/CView.h"

CTabChildView::CTabChildView(CView* view, CTabButton* button) : m_view(view), m_button(button) {}

CTabChildView::~CTabChildView()
{
    m_view->release();
}
