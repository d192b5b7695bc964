#include "editor/widgets/Widget.h"

#include "editor/widgets/KnobWidget.h"
#include "editor/widgets/ViewContainerWidget.h"
#include "editor/widgets/WidgetFactory.h"
#include "toolkit/CControl.h"

#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// A text box without a view: what a controller box needs of its widget.
class TextBox : public Widget
{
public:
    using Widget::Widget;
    void setText(const std::string& newText) override { text = newText; }
    std::string getText() const override { return text; }

    std::string text;
};

CColor colourOf(const std::string& text)
{
    GuiInfo guiInfo(nullptr, nullptr);
    CColor colour{0, 0, 0, 255};
    Widget::parseColour(guiInfo, text, colour);
    return colour;
}
} // namespace

TEST(Widget, ColourTextsAreNamesOrDecimalChannels)
{
    EXPECT_EQ(colourOf("10:20:30"), (CColor{10, 20, 30, 255}));
    EXPECT_EQ(colourOf("242:210:158:255"), (CColor{242, 210, 158, 255}));
    EXPECT_EQ(colourOf("300:0:0"), (CColor{255, 0, 0, 255}));
    EXPECT_EQ(colourOf("1::2:::3:4:5"), (CColor{1, 2, 3, 4}));
    EXPECT_EQ(colourOf("-5:99999999999999999999:7x:8"), (CColor{0, 255, 7, 8}));
    for (const char* unchanged : {"10:20", "", ":::", "ColourRed"})
        EXPECT_EQ(colourOf(unchanged), (CColor{0, 0, 0, 255})) << unchanged;
    EXPECT_EQ(colourOf("ColorRed"), (CColor{255, 0, 0, 255}));

    EXPECT_EQ(Widget::blendColour({0, 0, 0, 255}, {255, 221, 167, 127}, 0.5f), (CColor{127, 110, 83, 255}));
    EXPECT_EQ(Widget::blendColour({10, 10, 10, 10}, {20, 20, 20, 20}, 7.0f), (CColor{20, 20, 20, 20}));
}

TEST(Widget, SizeComesFromTheImageAndItsFrames)
{
    ImageBundle bundle;
    bundle.add("1024_Plus_1_btn", 40, 30, 2);
    WidgetBench bench(R"(<frame>
        <widget type="Knob" name="a" bitmap="1024_Plus_1_btn" frames="2"/>
        <widget type="Knob" name="b" bitmap="1024_Plus_1_btn" frames="0"/>
        <widget type="Knob" name="c" bitmap="1024_Plus_1_btn" frames="-3"/>
        <widget type="Knob" name="d" bitmap="1024_Plus_1_btn" frames="2" width="7" height="9"/>
        <widget type="Knob" name="e" bitmap="1024_Plus_2_btn" width="7" height="9"/>
        <widget type="Knob" name="f" bitmap="NoSuchImage"/>
    </frame>)");
    std::vector<std::unique_ptr<Widget>> widgets;
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        widgets.emplace_back(new KnobWidget(bench.named(name), bench.frame, bench.frame, nullptr, bench.guiInfo));

    EXPECT_EQ(widgets[0]->getWidth(), 40);
    EXPECT_EQ(widgets[0]->getHeight(), 30);
    EXPECT_EQ(widgets[1]->getHeight(), 60);
    EXPECT_EQ(widgets[2]->getHeight(), 60);
    EXPECT_EQ(widgets[3]->getWidth(), 7);
    EXPECT_EQ(widgets[3]->getFrameHeight(), 30);
    EXPECT_EQ(widgets[0]->getControl()->getViewSize(), CRect(0, 0, 40, 30));
    // A name the bundle has no image for (of no size), and a name the
    // registry does not know: no image, no view, but found by name.
    for (int i : {4, 5})
    {
        EXPECT_EQ(widgets[i]->getBitmap(), nullptr);
        EXPECT_EQ(widgets[i]->getControl(), nullptr);
        EXPECT_EQ(bench.guiInfo.findWidget(i == 4 ? "e" : "f"), widgets[i].get());
        EXPECT_EQ(bench.guiInfo.findControl(i == 4 ? "e" : "f"), nullptr);
    }
    EXPECT_EQ(bench.frame->getNbViews(), 4);
}

TEST(Widget, NamesAndTagRunsAreRegisteredAndMove)
{
    ImageBundle bundle;
    bundle.add("1024_Fullsweep_knob", 10, 10, 64);
    WidgetBench bench(R"(<frame>
        <widget type="Knob" name="q" bitmap="1024_Fullsweep_knob" frames="64" parameter="FilterQ"/>
        <widget type="Knob" name="Same" parameter="FilterFreq"/>
        <widget type="Knob" name="Same" parameter="NoSuchParameter"/>
    </frame>)");
    ticpp::Element* first = bench.element("widget");
    first->RemoveAttribute("name");
    auto knob = std::make_unique<KnobWidget>(first, bench.frame, bench.frame, nullptr, bench.guiInfo);
    KnobWidget freq(first->NextSiblingElement(), bench.frame, bench.frame, nullptr, bench.guiInfo);
    KnobWidget unbound(first->NextSiblingElement()->NextSiblingElement(), bench.frame, bench.frame, nullptr,
                       bench.guiInfo);
    auto& tags = bench.guiInfo.widgetsByTag();

    EXPECT_EQ(bench.guiInfo.findWidget("FilterQ"), knob.get());
    EXPECT_EQ(bench.guiInfo.findWidget("FilterFreq"), nullptr);
    EXPECT_EQ(bench.guiInfo.findWidget("Same"), &unbound);
    EXPECT_EQ(unbound.getTag(), -1);
    // Without an image a knob binds no control; the tag is still its own.
    EXPECT_EQ(freq.getTag(), 2);
    EXPECT_EQ(tags.count(2), 0u);

    EXPECT_EQ(tags.at(1), std::vector<Widget*>{knob.get()});
    knob->setTag(40);
    EXPECT_EQ(tags.count(1), 0u);
    EXPECT_EQ(tags.at(40), std::vector<Widget*>{knob.get()});
    EXPECT_EQ(static_cast<CControl*>(knob->getControl())->getTag(), 40);
    knob->setTag(-1);
    EXPECT_TRUE(tags.empty());
    knob->setTag(2);
    knob.reset();
    EXPECT_TRUE(tags.empty());
    EXPECT_EQ(bench.guiInfo.findWidget("FilterQ"), nullptr);
}

TEST(Widget, AFaultyChildIsLeftOutWithoutATrace)
{
    ImageBundle bundle;
    bundle.add("1024_Fullsweep_knob", 10, 10, 64);
    WidgetBench bench(R"(<frame>
        <widget type="ViewContainer" name="Panel" width="100" height="100">
            <widget type="Knob" name="Keys" bitmap="1024_Fullsweep_knob" frames="64" parameter="Volume"/>
            <widget type="NoSuchType" name="Lost1"/>
            <widget name="Lost2"/>
            <widget type="Knob" name="Lost3" x="twelve"/>
            <widget type="Keyboard" name="Keys" parameter="FilterQ"/>
            <widget type="Knob" name="Last" bitmap="1024_Fullsweep_knob" frames="64" x="20"/>
        </widget>
    </frame>)");
    auto panel = std::unique_ptr<Widget>(
        WidgetFactory::create("ViewContainer", bench.named("Panel"), bench.frame, bench.frame, nullptr, bench.guiInfo));
    auto* container = static_cast<ViewContainerWidget*>(panel.get());
    ASSERT_EQ(container->getChildren().size(), 2u);
    EXPECT_EQ(bench.guiInfo.findWidget("Keys"), container->getChildren()[0]);
    EXPECT_EQ(bench.guiInfo.findWidget("Last"), container->getChildren()[1]);
    for (const char* lost : {"Lost1", "Lost2", "Lost3", "FilterQ"})
        EXPECT_EQ(bench.guiInfo.findWidget(lost), nullptr) << lost;
    EXPECT_EQ(bench.guiInfo.widgetsByTag().count(1), 0u);
    EXPECT_EQ(static_cast<CViewContainer*>(panel->getControl())->getNbViews(), 2);
    EXPECT_THROW(WidgetFactory::create("NoSuchType", bench.named("Panel"), nullptr, nullptr, nullptr, bench.guiInfo),
                 WidgetFactory::UnknownType);
}

TEST(Widget, HidingKeepsTheViewAndShowingPutsItOnTop)
{
    ImageBundle bundle;
    bundle.add("1024_Fullsweep_knob", 10, 10, 64);
    WidgetBench bench(R"(<frame>
        <widget type="Knob" name="a" bitmap="1024_Fullsweep_knob" frames="64"/>
        <widget type="Knob" name="b" bitmap="1024_Fullsweep_knob" frames="64" visible="0"/>
    </frame>)");
    KnobWidget a(bench.named("a"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    KnobWidget b(bench.named("b"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    EXPECT_EQ(bench.frame->getNbViews(), 1);
    EXPECT_FALSE(b.isVisible());

    a.setVisible(false);
    a.setVisible(false);
    EXPECT_FALSE(bench.frame->isChild(a.getControl()));
    EXPECT_EQ(a.getControl()->getNbReference(), 1);
    b.setVisible(true);
    a.setVisible(true);
    EXPECT_EQ(bench.frame->getView(1), a.getControl());
    EXPECT_EQ(a.getControl()->getNbReference(), 2);
}

TEST(Widget, MidiPartsShowAndReadTheControllerNumber)
{
    ImageBundle bundle;
    bundle.add("1024_Fullsweep_knob", 20, 20, 64);
    bundle.add("1024_Learn_btn", 16, 8, 2);
    WidgetFactory::registerType("TestTextBox", &WidgetFactory::make<TextBox>);
    WidgetBench bench(R"(<layout>
        <midiedit>
            <editbox type="TestTextBox" width="24" height="12"/>
            <learnbutton type="Button" bitmap="1024_Learn_btn" frames="2"/>
        </midiedit>
        <widget type="Knob" bitmap="1024_Fullsweep_knob" frames="64" parameter="FilterQ" x="100" y="50" midi="1"/>
    </layout>)");
    KnobWidget knob(bench.element("widget"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    knob.createMidiEdit(bench.element("midiedit"));
    knob.createMidiEdit(bench.element("midiedit"));

    Widget* box = knob.getEditBox();
    Widget* learn = knob.getLearnButton();
    ASSERT_TRUE(box && learn);
    EXPECT_EQ(box->getTag(), 191);
    EXPECT_EQ(learn->getTag(), 382);
    EXPECT_EQ(bench.guiInfo.widgetsByTag().at(382), std::vector<Widget*>{learn});
    // Centred on the knob's middle: the box above, the button below.
    EXPECT_EQ(box->getX(), 98);
    EXPECT_EQ(box->getY(), 48);
    EXPECT_EQ(learn->getControl()->getViewSize(), CRect(102, 60, 118, 68));
    EXPECT_TRUE(learn->getControl()->isAttached());

    knob.setMidiNumber(-1);
    EXPECT_EQ(box->getText(), "---");
    static_cast<CControl*>(learn->getControl())->setValue(1.0f);
    knob.setMidiNumber(7);
    EXPECT_EQ(box->getText(), "  7");
    EXPECT_EQ(static_cast<CControl*>(learn->getControl())->getValue(), 0.0f);

    struct Typed
    {
        const char* text;
        int number;
    };
    // Each typed after the box showed 7.
    for (const Typed& typed :
         {Typed{" 12 ", 12}, Typed{"\t127", 127}, Typed{"128", 7}, Typed{"1a", 7}, Typed{"-5", 7}, Typed{"1 2", 7},
          Typed{"--", -1}, Typed{"", 7}, Typed{"   ", 0}, Typed{"0127", 7}, Typed{"99999999999999999999", 7}})
    {
        knob.setMidiNumber(7);
        static_cast<TextBox*>(box)->text = typed.text;
        EXPECT_EQ(knob.getMidiNumber(), typed.number) << '"' << typed.text << '"';
    }
    EXPECT_EQ(box->getText(), "  7");

    knob.setVisible(false);
    EXPECT_TRUE(learn->getControl()->isAttached());
    knob.destroyMidiEdit();
    EXPECT_EQ(knob.getEditBox(), nullptr);
    EXPECT_EQ(bench.guiInfo.widgetsByTag().count(382), 0u);
    EXPECT_EQ(bench.frame->getNbViews(), 0);
    EXPECT_EQ(knob.getMidiNumber(), 0);
}
