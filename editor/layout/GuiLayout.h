#pragma once

#include "Source/ticpp/ticpp.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One window configuration that the layout document offers.
struct LayoutConfiguration
{
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The editor's layout document: carried compressed inside the plug-in,
// inflated and parsed once, and expanded by its macro language into a fresh
// copy of the `layout` element for each window configuration.
class GuiLayout
{
public:
    using Variables = std::map<std::string, std::string>;
    using BitmapMap = std::map<std::string, std::string>;

    // The document the plug-in carries.
    GuiLayout();
    // Any other zlib stream of a layout document; the bytes must outlive
    // the first load().
    GuiLayout(const unsigned char* stream, std::uint64_t streamLength);
    virtual ~GuiLayout();

    // Inflates and parses the document and reads its configurations; later
    // calls return the first call's result at once. 1 on success; 0 when the
    // document does not inflate, does not parse or offers no configuration,
    // in which case there is nothing to open.
    std::int32_t load();
    const std::vector<LayoutConfiguration>& getConfigurations() const { return m_configurations; }

    // Replaces the expanded copy by a new expansion for the configuration of
    // that name; an unknown name takes the alphabetically first one's index.
    void buildLayout(const std::string& configurationName);
    // buildLayout, then the expanded `frame`; throws ticpp::Exception when
    // there is none. The elements handed out live until the next expansion.
    ticpp::Element* frameElement(const std::string& configurationName);
    // The expanded `frame` of the last expansion; throws ticpp::Exception
    // when there is none.
    ticpp::Element* expandedFrameElement() const;
    // The expanded `midiedit`; throws ticpp::Exception when there is none.
    ticpp::Element* midieditElement() const;
    // The expanded `tooltips`, or null.
    ticpp::Element* tooltipsElement() const;
    // Bitmap name (group prefixes + name) -> file (group folders + file name),
    // from the expanded `bitmaps`.
    BitmapMap readBitmaps() const;
    // Destroys the wrappers that walks over the documents left behind, the
    // elements handed out among them; a wrapper copied by value stays good.
    void releaseWrappers();

    // The macro language. expandElement rewrites the element's children in
    // place; templates collects the template definitions of one expansion.
    static void expandElement(ticpp::Element* element, ticpp::Element& templates, Variables variables);
    static void applyTemplate(ticpp::Element* element, ticpp::Element& templates);
    static void substitute(ticpp::Element* element, const Variables& variables);
    static std::string evaluate(const std::string& value);
    static std::string evaluatePostfix(const std::string& value);

private:
    void readConfigurations();

    const unsigned char* m_stream;
    std::uint64_t m_streamLength;
    ticpp::Document m_document;
    std::unique_ptr<ticpp::Node> m_expanded;
    std::map<std::string, std::string> m_configurationIndices;
    std::vector<LayoutConfiguration> m_configurations;
    bool m_loaded = false;
    std::int32_t m_loadResult = 0;
};
