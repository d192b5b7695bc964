#include "patches/AuPresetFiles.h"

#include "Source/shared/Base64.h"
#include "Source/ticpp/ticpp.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include <charconv>
#include <climits>

namespace
{
constexpr std::uint32_t kManufacturer = fourCc("VST ");
constexpr std::size_t kBase64LineLength = 68;

std::string decimal(long long value)
{
    // to_chars never consults the locale.
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The name as XML character data, so that the file always parses again.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // XML text cannot carry control characters.
            if (static_cast<unsigned char>(c) >= 0x20)
                out += c;
        }
    }
    return out;
}

// The parser descends once per nesting level: refuse texts nested deeper than
// any preset is before they can exhaust the stack.
bool nestedWithin(const std::string& text, int limit)
{
    int depth = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
    {
        if (text[i] == '<' && text[i + 1] != '/' && text[i + 1] != '?' && text[i + 1] != '!')
            ++depth;
        else if ((text[i] == '<' && text[i + 1] == '/') || (text[i] == '/' && text[i + 1] == '>'))
            --depth;
        if (depth > limit)
            return false;
    }
    return true;
}

// The integer of an "integer" element's text, or -1 for anything else.
long long integerOf(const ticpp::Element& value)
{
    if (value.Value() != "integer")
        return -1;
    const std::string text = value.GetText(false);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos)
        return -1;
    long long number = -1;
    const auto result = std::from_chars(text.data() + first, text.data() + last + 1, number);
    return result.ec == std::errc() && result.ptr == text.data() + last + 1 ? number : -1;
}
}

int AuPresetFiles::writeAupreset(const std::string& path, const std::string& patchName, const ChunkBuffer& chunk,
                                 bool isEffect)
{
    if (chunk.empty() || chunk.size > static_cast<std::uint64_t>(INT_MAX / 4 * 3))
        return 1;
    const std::string base64 = base64Encode(chunk.data, static_cast<int>(chunk.size));
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n"
                       "<dict>\n"
                       "\t<key>data</key>\n"
                       "\t<data>\n";
    for (std::size_t i = 0; i < base64.size(); i += kBase64LineLength)
        text += "\t" + base64.substr(i, kBase64LineLength) + "\n";
    text += "\t</data>\n"
            "\t<key>manufacturer</key>\n"
            "\t<integer>" + decimal(kManufacturer) + "</integer>\n"
            "\t<key>name</key>\n"
            "\t<string>" + escaped(patchName) + "</string>\n"
            "\t<key>subtype</key>\n"
            "\t<integer>" + decimal(isEffect ? fourCc("z2fx") : fourCc("zen2")) + "</integer>\n"
            "\t<key>type</key>\n"
            "\t<integer>" + decimal(isEffect ? fourCc("aufx") : fourCc("aumu")) + "</integer>\n"
            "\t<key>version</key>\n"
            "\t<real>3</real>\n"
            "</dict>\n"
            "</plist>\n";
    return writeFileReplacing(path, ByteVector(text.begin(), text.end())) ? 0 : 1;
}

std::uint32_t AuPresetFiles::parseAupreset(const std::string& path, std::string* data)
{
    std::uint32_t bits = kFileTypeAupreset;
    ByteVector file;
    if (!readWholeFile(path, &file))
        throw ticpp::Exception("Could not read the preset file " + path);
    const std::string text(file.begin(), file.end());
    if (!nestedWithin(text, 64))
        throw ticpp::Exception("The preset file is nested too deeply: " + path);
    ticpp::Document document;
    document.Parse(text);

    const ticpp::Element* dict = document.FirstChildElement("plist")->FirstChildElement("dict");
    // Every key is looked at, in whatever order; a checked key seen twice, a
    // wrong value or a missing one makes the preset unusable.
    bool haveData = false, haveManufacturer = false, haveSubtype = false, haveType = false;
    bool usable = true;
    for (const ticpp::Element* key = dict->FirstChildElement("key"); key != nullptr && usable;)
    {
        const std::string name = key->GetText(false);
        const ticpp::Element* value = key->NextSiblingElement(true);
        const long long number = integerOf(*value);
        if (name == "data")
        {
            usable = !haveData && value->Value() == "data";
            haveData = true;
            if (usable && data != nullptr)
                *data = value->GetText(false);
        }
        else if (name == "manufacturer")
        {
            usable = !haveManufacturer && number == kManufacturer;
            haveManufacturer = true;
        }
        else if (name == "subtype")
        {
            usable = !haveSubtype;
            haveSubtype = true;
            if (number == fourCc("zen2"))
                bits |= kFileTypeInstrument;
            else if (number == fourCc("z2fx"))
                bits |= kFileTypeEffect;
            else if (number == fourCc("zent"))
                bits |= kFileTypeVersion1;
            else
                usable = false;
        }
        else if (name == "type")
        {
            usable = !haveType && (number == fourCc("aumu") || number == fourCc("aufx"));
            haveType = true;
        }
        key = value->NextSiblingElement("key", false);
    }
    if (!usable || !haveData || !haveManufacturer || !haveSubtype || !haveType)
        bits |= kFileTypeInvalid;
    return bits;
}

int AuPresetFiles::readAupreset(const std::string& path, ChunkBuffer& chunk)
{
    std::string data;
    const std::uint32_t bits = parseAupreset(path, &data);
    if ((bits & kFileTypeInvalid) != 0)
        return kLoadNotUsable;
    ChunkBuffer decoded;
    decoded.resize(base64DecodedSize(data));
    std::size_t length = 0;
    base64Decode(data, decoded.data, &length);
    decoded.size = length;
    if (length == 0)
        return kLoadNotUsable;
    if ((bits & kFileTypeVersion1) != 0)
    {
        if (!convertVersion1AuBank(decoded))
            return kLoadNotUsable;
        chunk = std::move(decoded);
        return kLoadVersion1Bank;
    }
    chunk = std::move(decoded);
    return kLoadProgramChunk;
}
