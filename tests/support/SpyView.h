#pragma once

// A view that logs what reaches it ("name event h,v") and answers mouse
// downs as told; a hook can run inside its mouse-moved handler.

#include "toolkit/CView.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

class SpyView : public CView
{
public:
    SpyView(const CRect& size, std::vector<std::string>& log, std::string name,
            CMouseEventResult downAnswer = kMouseResultHandled)
        : CView(size), m_log(log), m_name(std::move(name)), m_downAnswer(downAnswer)
    {
    }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override
    {
        record("down", where);
        return m_downAnswer;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override
    {
        record("up", where);
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override
    {
        record("moved", where);
        if (onMoved)
            onMoved();
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseEntered(CPoint& where, const CButtonState&) override
    {
        record("entered", where);
        return kMouseResultHandled;
    }
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState&) override
    {
        record("exited", where);
        return kMouseResultHandled;
    }
    bool onWheel(const CPoint& where, const float& distance, const CButtonState&) override
    {
        record("wheel " + std::to_string(static_cast<int>(distance)), where);
        return true;
    }
    void onDragEnter(CDragContainer*, const CPoint& where) override { record("enter", where); }
    void onDragLeave(CDragContainer*, const CPoint& where) override { record("leave", where); }
    void onDragMove(CDragContainer*, const CPoint& where) override { record("move", where); }
    bool onDrop(CDragContainer*, const CPoint& where) override
    {
        record("drop", where);
        return true;
    }
    CKeyResult onKeyDown(VstKeyCode&) override
    {
        m_log.push_back(m_name + " key");
        return keyAnswer;
    }
    void takeFocus() override { m_log.push_back(m_name + " takeFocus"); }
    void looseFocus() override { m_log.push_back(m_name + " looseFocus"); }
    bool isTypeOf(const char* className) const override
    {
        return (isControl && std::strcmp(className, "CControl") == 0) || CView::isTypeOf(className);
    }
    std::int32_t modifierClicked(const CButtonState&) override
    {
        m_log.push_back(m_name + " modifierClicked");
        return modifierAnswer;
    }

    std::function<void()> onMoved;
    CKeyResult keyAnswer = kKeyNotHandled;
    // Poses as a control whose listener answers modifier clicks so.
    bool isControl = false;
    std::int32_t modifierAnswer = 0;

private:
    void record(const std::string& event, const CPoint& where)
    {
        m_log.push_back(m_name + " " + event + " " + std::to_string(where.h) + "," + std::to_string(where.v));
    }

    std::vector<std::string>& m_log;
    std::string m_name;
    CMouseEventResult m_downAnswer;
};
