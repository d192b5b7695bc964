#include "editor/layout/GuiLayout.h"

#include "editor/layout/LayoutDocument.h"

#include <zlib.h>

#include <algorithm>

namespace
{
// Inflates the whole stream; false unless it ends properly (a damaged or
// truncated stream must not pass for a shorter document).
bool inflateStream(const unsigned char* stream, std::uint64_t length, std::string& text)
{
    if (stream == nullptr)
        return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    std::uint64_t fed = 0;
    unsigned char buffer[16384];
    int result = Z_OK;
    while (result == Z_OK)
    {
        if (z.avail_in == 0 && fed < length)
        {
            const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(length - fed, 1u << 30));
            z.next_in = const_cast<Bytef*>(stream + fed);
            z.avail_in = chunk;
            fed += chunk;
        }
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        text.append(reinterpret_cast<const char*>(buffer), sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return result == Z_STREAM_END;
}

bool hasMacroChild(const ticpp::Element* element)
{
    for (ticpp::Element* child = element->FirstChildElement(false); child != nullptr;
         child = child->NextSiblingElement(false))
    {
        const std::string name = child->Value();
        if (name == "if" || name == "for" || name == "switch")
            return true;
    }
    return false;
}

std::vector<ticpp::Element*> childElements(const ticpp::Element* element)
{
    std::vector<ticpp::Element*> children;
    for (ticpp::Element* child = element->FirstChildElement(false); child != nullptr;
         child = child->NextSiblingElement(false))
        children.push_back(child);
    return children;
}

// ":"-separated tokens; empty ones are dropped.
std::vector<std::string> tokensOf(const std::string& text)
{
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find(':', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            tokens.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return tokens;
}

// One `if`, `switch` or `for` met in a phase: the children chosen for
// insertion and, for a loop, its variable and values.
struct MacroRecord
{
    ticpp::Element* element = nullptr;
    std::vector<ticpp::Element*> chosen;
    bool loop = false;
    std::string variable;
    std::vector<std::string> values;
};

// Puts copies of the chosen children in the macro element's place. The macro
// element goes whatever happens, so that expansion always ends.
void replaceByChosen(ticpp::Element* parent, const MacroRecord& record)
{
    try
    {
        ticpp::Node* after = record.element;
        const std::size_t rounds = record.loop ? record.values.size() : 1;
        for (std::size_t i = 0; i < rounds; ++i)
        {
            if (record.loop)
            {
                ticpp::Element constant("constant");
                constant.SetAttribute("name", record.variable);
                constant.SetAttribute("value", record.values[i]);
                after = parent->InsertAfterChild(after, constant);
            }
            for (ticpp::Element* child : record.chosen)
                after = parent->InsertAfterChild(after, *child);
        }
    }
    catch (const ticpp::Exception&)
    {
    }
    parent->RemoveChild(record.element);
}

void expandIfs(ticpp::Element* parent, const GuiLayout::Variables& variables)
{
    std::vector<MacroRecord> records;
    for (ticpp::Element* element = parent->FirstChildElement("if", false); element != nullptr;
         element = element->NextSiblingElement("if", false))
    {
        MacroRecord record;
        record.element = element;
        try
        {
            GuiLayout::substitute(element, variables);
            int condition = 0;
            element->GetAttribute("condition", &condition);
            if (condition > 0)
                record.chosen = childElements(element);
        }
        catch (const ticpp::Exception&)
        {
            record.chosen.clear();
        }
        records.push_back(std::move(record));
    }
    for (const MacroRecord& record : records)
        replaceByChosen(parent, record);
}

void expandSwitches(ticpp::Element* parent, const GuiLayout::Variables& variables)
{
    std::vector<MacroRecord> records;
    for (ticpp::Element* element = parent->FirstChildElement("switch", false); element != nullptr;
         element = element->NextSiblingElement("switch", false))
    {
        MacroRecord record;
        record.element = element;
        try
        {
            GuiLayout::substitute(element, variables);
            std::string selected;
            element->GetAttribute("case", &selected);
            // Every matching case contributes; a case without a value ends
            // the search but keeps what matched before it.
            for (ticpp::Element* option = element->FirstChildElement("case", false); option != nullptr;
                 option = option->NextSiblingElement("case", false))
            {
                std::string value;
                option->GetAttribute("value", &value);
                const std::vector<std::string> tokens = tokensOf(value);
                if (std::find(tokens.begin(), tokens.end(), selected) != tokens.end())
                {
                    const std::vector<ticpp::Element*> children = childElements(option);
                    record.chosen.insert(record.chosen.end(), children.begin(), children.end());
                }
            }
        }
        catch (const ticpp::Exception&)
        {
        }
        records.push_back(std::move(record));
    }
    for (const MacroRecord& record : records)
        replaceByChosen(parent, record);
}

void expandFors(ticpp::Element* parent, const GuiLayout::Variables& variables)
{
    std::vector<MacroRecord> records;
    for (ticpp::Element* element = parent->FirstChildElement("for", false); element != nullptr;
         element = element->NextSiblingElement("for", false))
    {
        MacroRecord record;
        record.element = element;
        record.loop = true;
        try
        {
            GuiLayout::substitute(element, variables);
            const ticpp::Attribute* attribute = element->FirstAttribute();
            record.variable = attribute->Name();
            record.values = tokensOf(attribute->Value());
            record.chosen = childElements(element);
        }
        catch (const ticpp::Exception&)
        {
            record.values.clear();
        }
        records.push_back(std::move(record));
    }
    for (const MacroRecord& record : records)
        replaceByChosen(parent, record);
}

// An optional sign and decimal digits, as atoi reads them: the number
// saturated to 64 bits, then its low 32 bits, sign-extended.
std::int64_t leadingInteger(const std::string& token)
{
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    std::uint64_t magnitude = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
        magnitude = magnitude > kLimit / 10
            ? kLimit
            : std::min(magnitude * 10 + static_cast<std::uint64_t>(token[i] - '0'), kLimit);
    const std::uint64_t value = negative ? std::uint64_t{0} - magnitude : std::min(magnitude, kLimit - 1);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The expanded copy's root, or null before the first expansion.
ticpp::Element* rootOf(const std::unique_ptr<ticpp::Node>& expanded)
{
    return dynamic_cast<ticpp::Element*>(expanded.get());
}

void readBitmapGroup(const ticpp::Element* group, const std::string& prefix, const std::string& folder,
    GuiLayout::BitmapMap& bitmaps)
{
    for (ticpp::Element* child = group->FirstChildElement(false); child != nullptr;
         child = child->NextSiblingElement(false))
    {
        const std::string kind = child->Value();
        if (kind == "bitmap")
        {
            std::string name;
            std::string fileName;
            if (child->GetAttributeImp("name", &name) && child->GetAttributeImp("filename", &fileName))
                bitmaps[prefix + name] = folder + fileName;
        }
        else if (kind == "bitmapgroup")
        {
            readBitmapGroup(child, prefix + child->GetAttributeOrDefault("prefix", std::string()),
                folder + child->GetAttributeOrDefault("folder", std::string()), bitmaps);
        }
    }
}
}

GuiLayout::GuiLayout() : GuiLayout(layoutDocumentStream, layoutDocumentStreamLength) {}

GuiLayout::GuiLayout(const unsigned char* stream, std::uint64_t streamLength)
    : m_stream(stream), m_streamLength(streamLength)
{
}

GuiLayout::~GuiLayout() = default;

std::int32_t GuiLayout::load()
{
    if (m_loaded)
        return m_loadResult;
    m_loaded = true;

    std::string text;
    bool parsed = false;
    try
    {
        m_document.Clear();
        if (inflateStream(m_stream, m_streamLength, text))
        {
            m_document.Parse(text);
            parsed = true;
        }
    }
    catch (const ticpp::Exception&)
    {
    }
    // Nothing of a half-parsed document may be expanded later.
    if (!parsed)
        m_document.Clear();

    readConfigurations();
    m_loadResult = parsed && !m_configurations.empty() ? 1 : 0;
    return m_loadResult;
}

void GuiLayout::readConfigurations()
{
    m_configurationIndices.clear();
    m_configurations.clear();
    try
    {
        const ticpp::Element* configurations =
            m_document.FirstChildElement("layout")->FirstChildElement("configurations");
        for (ticpp::Element* element = configurations->FirstChildElement("configuration", false); element != nullptr;
             element = element->NextSiblingElement("configuration", false))
        {
            LayoutConfiguration configuration;
            std::string index;
            element->GetAttribute("name", &configuration.name);
            element->GetAttribute("index", &index);
            element->GetAttribute("width", &configuration.width);
            element->GetAttribute("height", &configuration.height);
            m_configurationIndices[configuration.name] = index;
            m_configurations.push_back(configuration);
        }
    }
    catch (const ticpp::Exception&)
    {
    }
}

void GuiLayout::buildLayout(const std::string& configurationName)
{
    std::string index;
    const auto found = m_configurationIndices.find(configurationName);
    if (found != m_configurationIndices.end())
        index = found->second;
    else if (!m_configurationIndices.empty())
        index = m_configurationIndices.begin()->second;

    ticpp::Element templates("templates");
    const Variables variables{{"configuration", index}};
    // A failed expansion leaves no copy of an earlier configuration behind.
    m_expanded.reset();
    m_expanded = m_document.FirstChildElement("layout")->Clone();
    expandElement(rootOf(m_expanded), templates, variables);
}

ticpp::Element* GuiLayout::frameElement(const std::string& configurationName)
{
    buildLayout(configurationName);
    return rootOf(m_expanded)->FirstChildElement("frame");
}

ticpp::Element* GuiLayout::expandedFrameElement() const
{
    const ticpp::Element* root = rootOf(m_expanded);
    if (root == nullptr)
        throw ticpp::Exception("The layout is not expanded");
    return root->FirstChildElement("frame");
}

ticpp::Element* GuiLayout::midieditElement() const
{
    const ticpp::Element* root = rootOf(m_expanded);
    if (root == nullptr)
        throw ticpp::Exception("The layout is not expanded");
    return root->FirstChildElement("midiedit");
}

ticpp::Element* GuiLayout::tooltipsElement() const
{
    const ticpp::Element* root = rootOf(m_expanded);
    return root != nullptr ? root->FirstChildElement("tooltips", false) : nullptr;
}

void GuiLayout::releaseWrappers()
{
    m_document.ReleaseWrappersBeneath();
    if (m_expanded)
        m_expanded->ReleaseWrappersBeneath();
}

GuiLayout::BitmapMap GuiLayout::readBitmaps() const
{
    BitmapMap bitmaps;
    const ticpp::Element* root = rootOf(m_expanded);
    if (root == nullptr)
        return bitmaps;
    try
    {
        readBitmapGroup(root->FirstChildElement("bitmaps"), std::string(), std::string(), bitmaps);
    }
    catch (const ticpp::Exception&)
    {
    }
    return bitmaps;
}

void GuiLayout::expandElement(ticpp::Element* element, ticpp::Element& templates, Variables variables)
{
    // A phase may bring new macro elements up to this level (an `if` in the
    // body of a `for`), hence the repetition.
    while (hasMacroChild(element))
    {
        expandIfs(element, variables);
        expandSwitches(element, variables);
        expandFors(element, variables);
    }

    for (ticpp::Element* child = element->FirstChildElement(false); child != nullptr;
         child = child->NextSiblingElement(false))
    {
        try
        {
            applyTemplate(child, templates);
            const std::string kind = child->Value();
            if (kind == "template")
            {
                const std::string name = child->GetAttributeOrDefault("name", std::string());
                if (!name.empty())
                {
                    auto* stored = dynamic_cast<ticpp::Element*>(templates.InsertEndChild(*child));
                    stored->RemoveAttribute("name");
                    stored->SetValue(name);
                }
            }
            else if (kind == "constant")
            {
                std::string name;
                std::string value;
                child->GetAttribute("name", &name);
                child->GetAttribute("value", &value);
                variables[name] = value;
            }
            else
            {
                substitute(child, variables);
                expandElement(child, templates, variables);
            }
        }
        catch (const ticpp::Exception&)
        {
        }
    }
}

void GuiLayout::applyTemplate(ticpp::Element* element, ticpp::Element& templates)
{
    std::string name;
    if (!element->GetAttributeImp("template", &name))
        return;
    element->RemoveAttribute("template");
    // An empty name would select the holder's first child of any name.
    if (name.empty())
        return;
    const ticpp::Element* found = templates.FirstChildElement(name, false);
    if (found == nullptr)
        return;
    for (const ticpp::Attribute* attribute = found->FirstAttribute(false); attribute != nullptr;
         attribute = attribute->Next(false))
        element->SetAttribute(attribute->Name(), attribute->Value());
}

void GuiLayout::substitute(ticpp::Element* element, const Variables& variables)
{
    for (ticpp::Attribute* attribute = element->FirstAttribute(false); attribute != nullptr;
         attribute = attribute->Next(false))
    {
        const std::string original = attribute->Value();
        std::string value = original;
        std::size_t from = 0;
        for (;;)
        {
            const std::size_t open = value.find('%', from);
            if (open == std::string::npos)
                break;
            const std::size_t close = value.find('%', open + 1);
            if (close == std::string::npos)
                break;
            if (close == open + 1)
            {
                value.erase(close, 1);
                from = open + 2;
                continue;
            }
            const auto variable = variables.find(value.substr(open + 1, close - open - 1));
            if (variable == variables.end())
            {
                from = close + 1;
                continue;
            }
            value.replace(open, close - open + 1, variable->second);
            from = open + variable->second.size() + 1;
        }

        if (startsWith(value, "?if"))
        {
            const std::size_t thenAt = value.find("?then");
            if (thenAt == std::string::npos)
            {
                value = original;
            }
            else
            {
                const std::size_t elseAt = value.find("?else", thenAt + 5);
                const std::string condition = thenAt > 4 ? value.substr(4, thenAt - 4) : std::string();
                const std::string whenTrue = value.substr(thenAt + 5,
                    elseAt == std::string::npos ? std::string::npos : elseAt - (thenAt + 5));
                const std::string whenFalse = elseAt == std::string::npos ? std::string() : value.substr(elseAt + 5);
                value = evaluate(evaluate(condition) == "0" ? whenFalse : whenTrue);
            }
        }
        else if (startsWith(value, "?switch"))
        {
            value = original;
        }
        else
        {
            value = evaluate(value);
        }
        attribute->SetValue(value);
    }
}

std::string GuiLayout::evaluate(const std::string& value)
{
    const std::size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = value.find_last_not_of(' ');
    if (value[first] == '#')
        return evaluatePostfix(value);
    if (value[first] == '\'')
    {
        if (last > first && value[last] == '\'')
            return value.substr(first + 1, last - first - 1);
        return value.substr(first + 1, last - first);
    }
    return value.substr(first, last - first + 1);
}

std::string GuiLayout::evaluatePostfix(const std::string& value)
{
    const std::size_t hash = value.find('#');
    const std::string expression = hash == std::string::npos ? value : value.substr(hash + 1);

    // Unsigned arithmetic: an overflow wraps instead of being undefined.
    std::vector<std::uint64_t> stack;
    std::size_t from = 0;
    for (;;)
    {
        const std::size_t start = expression.find_first_not_of(' ', from);
        if (start == std::string::npos)
            break;
        std::size_t end = expression.find(' ', start);
        if (end == std::string::npos)
            end = expression.size();
        const std::string token = expression.substr(start, end - start);
        from = end;

        if (token == "+" || token == "*" || token == "-" || token == "=" || token == "!=")
        {
            if (stack.size() < 2)
                continue;
            const std::uint64_t b = stack.back();
            stack.pop_back();
            std::uint64_t& a = stack.back();
            if (token == "+")
                a += b;
            else if (token == "*")
                a *= b;
            else if (token == "-")
                a -= b;
            else if (token == "=")
                a = a == b ? 1 : 0;
            else
                a = a != b ? 1 : 0;
        }
        else if (token == "!")
        {
            if (!stack.empty())
                stack.back() = stack.back() == 0 ? 1 : 0;
        }
        else
        {
            stack.push_back(static_cast<std::uint64_t>(leadingInteger(token)));
        }
    }
    if (stack.size() != 1)
        return "0";
    return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(stack.back())));
}
