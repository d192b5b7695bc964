#include "editor/widgets/ParamMonitorWidget.h"

#include "Source/Zentrova.h"
#include "Source/ticpp/ticpp.h"
#include "editor/layout/GuiInfo.h"
#include "editor/widgets/TextWidget.h"
#include "editor/widgets/WidgetFactory.h"

namespace
{
std::unique_ptr<TextWidget> textStyleHolder(ticpp::Element* element, const char* child, CFrame* frame,
                                            GuiInfo& guiInfo)
{
    ticpp::Element* style = element->FirstChildElement(child);
    std::unique_ptr<Widget> widget(WidgetFactory::create("Text", style, nullptr, frame, nullptr, guiInfo));
    auto* text = dynamic_cast<TextWidget*>(widget.get());
    if (!text)
        throw ticpp::Exception("A text style must be of type Text");
    widget.release();
    return std::unique_ptr<TextWidget>(text);
}

using ParameterText = void (Zentrova::*)(VstInt32, char*);

std::string parameterText(Zentrova* effect, ParameterText get, std::int64_t index)
{
    if (!effect || index < 0 || index >= Zentrova::kNumParameters)
        return std::string();
    char text[256] = {};
    (effect->*get)(static_cast<VstInt32>(index), text);
    text[sizeof text - 1] = 0;
    return text;
}
} // namespace

ParamMonitorWidget::ParamMonitorWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                       ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    m_parameterInfo = textStyleHolder(element, "parameterinfo", frame, guiInfo);
    m_valueInfo = textStyleHolder(element, "valueinfo", frame, guiInfo);
    m_styles[0] = m_parameterInfo->makeTextStyle();
    m_styles[1] = m_valueInfo->makeTextStyle();
    m_display = new CParameterValueDisplay(getRect(), m_bitmap, m_styles[0], m_styles[1]);
    bindView(m_display);
}

ParamMonitorWidget::~ParamMonitorWidget() = default;

void ParamMonitorWidget::setOpacity(float factor)
{
    if (m_display)
        m_display->setFontColours(blendColour(m_styles[0].backColour, m_styles[0].fontColour, factor),
                                  blendColour(m_styles[1].backColour, m_styles[1].fontColour, factor));
}

void ParamMonitorWidget::select(std::int64_t index)
{
    m_current = index;
    Zentrova* effect = m_guiInfo.effect();
    const std::string name = parameterText(effect, &Zentrova::getParameterDisplayName, index);
    const std::string label = parameterText(effect, &Zentrova::getParameterLabel, index);
    if (m_display)
        m_display->setNameAndLabel(name.c_str(), label.c_str());
}

void ParamMonitorWidget::showValue()
{
    if (m_current < 0 || !m_display)
        return;
    const std::string value = parameterText(m_guiInfo.effect(), &Zentrova::getParameterDisplay, m_current);
    m_display->setValueText(value.c_str());
}

void ParamMonitorWidget::parameterChanged(std::int64_t index)
{
    if (index != -2 && index != m_current)
        select(index);
    showValue();
}

void ParamMonitorWidget::touched()
{
    m_touched = true;
    m_active = true;
}

void ParamMonitorWidget::reset()
{
    m_current = -1;
    m_active = false;
}

void ParamMonitorWidget::showParameter(std::int64_t index, const std::string& text)
{
    if (index != m_current)
        select(index);
    if (m_display)
        m_display->setSampleText(text.c_str());
    m_touched = true;
    m_shown = true;
    showValue();
}

void ParamMonitorWidget::clearShown()
{
    m_current = -1;
    m_shown = false;
}
