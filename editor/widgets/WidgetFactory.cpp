#include "editor/widgets/WidgetFactory.h"

#include "dsp/Lasting.h"

#include <loki/Threads.h>

// The creators live in Loki's small-object memory, which must outlast the
// factory: the factory's own end frees it, right after the factory (not on
// Loki's longevity list, for the reasons given below).
namespace widgetfactory
{
inline void (*destroySmallObjects)() = nullptr;

template <class T>
struct DestroyedAfterTheFactory
{
    static void ScheduleDestruction(T*, void (*destroy)()) { destroySmallObjects = destroy; }
    static void OnDeadReference() {}
};

// Loki's class-level lock, its mutex kept as long as the library: Loki's
// own is destroyed by an exit handler, and an instance a host closes after
// that may be the one whose close destroys the factory.
template <class Host, class MutexPolicy = LOKI_DEFAULT_MUTEX>
class LastingClassLevelLockable
{
public:
    class Lock
    {
    public:
        Lock() { mutex->Lock(); }
        explicit Lock(const LastingClassLevelLockable&) { mutex->Lock(); }
        explicit Lock(const LastingClassLevelLockable*) { mutex->Lock(); }
        ~Lock() { mutex->Unlock(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
    };

    typedef volatile Host VolatileType;

private:
    static inline Lasting<MutexPolicy> mutex;
};
} // namespace widgetfactory
#define LOKI_DEFAULT_SMALLOBJ_LIFETIME ::widgetfactory::DestroyedAfterTheFactory
#undef LOKI_DEFAULT_THREADING_NO_OBJ_LEVEL
#define LOKI_DEFAULT_THREADING_NO_OBJ_LEVEL ::widgetfactory::LastingClassLevelLockable
#include <loki/Factory.h>
#include <loki/Singleton.h>

#include "editor/widgets/BarGraphWidget.h"
#include "editor/widgets/ButtonWidget.h"
#include "editor/widgets/DisplayWidget.h"
#include "editor/widgets/HorizSwitchWidget.h"
#include "editor/widgets/KeyboardWidget.h"
#include "editor/widgets/KickButtonWidget.h"
#include "editor/widgets/KnobWidget.h"
#include "editor/widgets/OptionMenuWidget.h"
#include "editor/widgets/ParamMonitorWidget.h"
#include "editor/widgets/PatchSelectorWidget.h"
#include "editor/widgets/SplashScreenWidget.h"
#include "editor/widgets/SwitchKnobWidget.h"
#include "editor/widgets/TextEditWidget.h"
#include "editor/widgets/TextLabelWidget.h"
#include "editor/widgets/TextListWidget.h"
#include "editor/widgets/TextWidget.h"
#include "editor/widgets/TristateButtonWidget.h"
#include "editor/widgets/VertSwitchWidget.h"
#include "editor/widgets/ViewContainerWidget.h"
#include "editor/widgets/WheelWidget.h"

namespace
{
using Factory = Loki::Factory<Widget, std::string,
                              LOKI_TYPELIST_5(ticpp::Element*, CViewContainer*, CFrame*, ZentrovaEditor*, GuiInfo&)>;
void (*destroyFactory)() = nullptr;

void destroyFactoryAndItsSmallObjects(void*)
{
    destroyFactory();
    if (widgetfactory::destroySmallObjects)
        widgetfactory::destroySmallObjects();
}

// Destroyed when the library goes, and its small-object memory with it.
// Loki's longevity list is one for every module of the process that uses
// Loki: a singleton on it could be destroyed by another plug-in's
// unloading. And it is run through std::atexit, which a sanitizer's runtime
// may run after the library is gone.
template <class T>
struct DestroyedWithTheImage
{
    static void ScheduleDestruction(T*, void (*destroy)())
    {
        destroyFactory = destroy;
        LibraryLifetime::atRelease(&destroyFactoryAndItsSmallObjects, nullptr);
    }
    static void OnDeadReference() { throw std::logic_error("Dead Reference Detected"); }
};

using TheFactory = Loki::SingletonHolder<Factory, Loki::CreateUsingNew, DestroyedWithTheImage,
                                         widgetfactory::LastingClassLevelLockable>;

struct TypeEntry
{
    const char* name;
    WidgetFactory::Creator creator;
};

// In the layout's order.
const TypeEntry kTypes[] = {
    {"ViewContainer", &WidgetFactory::make<ViewContainerWidget>},
    {"Knob", &WidgetFactory::make<KnobWidget>},
    {"SwitchKnob", &WidgetFactory::make<SwitchKnobWidget>},
    {"Display", &WidgetFactory::make<DisplayWidget>},
    {"HorizSwitch", &WidgetFactory::make<HorizSwitchWidget>},
    {"TristateButton", &WidgetFactory::make<TristateButtonWidget>},
    {"Button", &WidgetFactory::make<ButtonWidget>},
    {"VertSwitch", &WidgetFactory::make<VertSwitchWidget>},
    {"KickButton", &WidgetFactory::make<KickButtonWidget>},
    {"BarGraph", &WidgetFactory::make<BarGraphWidget>},
    {"TextEdit", &WidgetFactory::make<TextEditWidget>},
    {"OptionMenu", &WidgetFactory::make<OptionMenuWidget>},
    {"Wheel", &WidgetFactory::make<WheelWidget>},
    {"Keyboard", &WidgetFactory::make<KeyboardWidget>},
    {"SplashScreen", &WidgetFactory::make<SplashScreenWidget>},
    {"PatchSelector", &WidgetFactory::make<PatchSelectorWidget>},
    {"ParamMonitor", &WidgetFactory::make<ParamMonitorWidget>},
    {"Text", &WidgetFactory::make<TextWidget>},
    {"TextList", &WidgetFactory::make<TextListWidget>},
    {"TextLabel", &WidgetFactory::make<TextLabelWidget>},
};

// Only the user-interface thread makes widgets.
bool s_typesRegistered = false;
} // namespace

void WidgetFactory::registerTypes()
{
    if (s_typesRegistered)
        return;
    for (const TypeEntry& type : kTypes)
        TheFactory::Instance().Register(type.name, type.creator);
    s_typesRegistered = true;
}

bool WidgetFactory::registerType(const std::string& type, Creator creator)
{
    registerTypes();
    return creator && TheFactory::Instance().Register(type, creator);
}

Widget* WidgetFactory::create(const std::string& type, ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                              ZentrovaEditor* editor, GuiInfo& guiInfo)
{
    registerTypes();
    Widget* widget = nullptr;
    try
    {
        widget = TheFactory::Instance().CreateObject(type, element, parent, frame, editor, guiInfo);
    }
    catch (const Factory::Exception&)
    {
        throw UnknownType();
    }
    widget->constructionComplete();
    return widget;
}
