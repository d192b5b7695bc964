#include "Source/shared/Base64.h"
#include "Source/ticpp/ticpp.h"
#include "patches/AuPresetFiles.h"
#include "patches/Version1Patch.h"

#include "tests/patches/PatchFileTestSupport.h"

#include <locale>
#include <sstream>

using namespace patchtest;

namespace
{
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ChunkBuffer bytesChunk(std::size_t n)
{
    ChunkBuffer chunk;
    chunk.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        chunk.data[i] = static_cast<unsigned char>(i * 31 + 7);
    return chunk;
}

// A preset text with the given dictionary body.
std::string presetWith(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body + "</dict>\n</plist>\n";
}

const std::string kManufacturer = "<key>manufacturer</key><integer>1448301600</integer>\n";
const std::string kInstrumentSubtype = "<key>subtype</key><integer>2053467698</integer>\n";
const std::string kInstrumentType = "<key>type</key><integer>1635085685</integer>\n";
}

TEST(AuPresetFiles, WrittenTextIsExact)
{
    TempFolder folder;
    const ChunkBuffer chunk = bytesChunk(52);
    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "p.aupreset", "Lead", chunk, true), 0);
    const std::string base64 = base64Encode(chunk.data, 52);
    ASSERT_EQ(base64.size(), 72u);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "\t<key>data</key>\n"
        "\t<data>\n"
        "\t" + base64.substr(0, 68) + "\n"
        "\t" + base64.substr(68) + "\n"
        "\t</data>\n"
        "\t<key>manufacturer</key>\n"
        "\t<integer>1448301600</integer>\n"
        "\t<key>name</key>\n"
        "\t<string>Lead</string>\n"
        "\t<key>subtype</key>\n"
        "\t<integer>2050123384</integer>\n"
        "\t<key>type</key>\n"
        "\t<integer>1635083896</integer>\n"
        "\t<key>version</key>\n"
        "\t<real>3</real>\n"
        "</dict>\n"
        "</plist>\n";
    EXPECT_EQ(readText(folder / "p.aupreset"), expected);

    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "i.aupreset", "Lead", chunk, false), 0);
    const std::vector<std::string> lines = linesOf(readText(folder / "i.aupreset"));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[14], "\t<integer>2053467698</integer>");
    EXPECT_EQ(lines[16], "\t<integer>1635085685</integer>");
}

TEST(AuPresetFiles, DataLinesHoldSixtyEightCharacters)
{
    TempFolder folder;
    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "51.aupreset", "x", bytesChunk(51), false), 0);
    std::vector<std::string> lines = linesOf(readText(folder / "51.aupreset"));
    EXPECT_EQ(lines[6].size(), 69u);
    EXPECT_EQ(lines[7], "\t</data>");

    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "big.aupreset", "x", bytesChunk(1000), false), 0);
    lines = linesOf(readText(folder / "big.aupreset"));
    // 1000 bytes: 1336 characters, 19 full lines and one of 44.
    for (int i = 6; i < 25; ++i)
        EXPECT_EQ(lines[i].size(), 69u) << i;
    EXPECT_EQ(lines[25].size(), 45u);
    EXPECT_EQ(lines[26], "\t</data>");
}

TEST(AuPresetFiles, PresetReadsBackItsChunk)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "fx.aupreset", "Warm Pad", chunk, true), 0);
    EXPECT_EQ(AuPresetFiles::parseAupreset(folder / "fx.aupreset"), 0x41u);
    ChunkBuffer read;
    ASSERT_EQ(AuPresetFiles::readAupreset(folder / "fx.aupreset", read), 3);
    EXPECT_EQ(bytesOf(read), bytesOf(chunk));
    EXPECT_EQ(inflateToString(read), samplePatchText());

    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "inst.aupreset", "Warm Pad", chunk, false), 0);
    EXPECT_EQ(AuPresetFiles::parseAupreset(folder / "inst.aupreset"), 0x81u);
}

TEST(AuPresetFiles, NamesAreEscapedSoTheFileParses)
{
    TempFolder folder;
    const std::string name = "Saw <&> \"Bright\" 'n' \x01 Pad";
    ASSERT_EQ(AuPresetFiles::writeAupreset(folder / "p.aupreset", name, sampleChunk(), false), 0);
    EXPECT_NE(readText(folder / "p.aupreset").find("<string>Saw &lt;&amp;&gt; &quot;Bright&quot; &apos;n&apos;  Pad"),
              std::string::npos);
    ChunkBuffer read;
    ASSERT_EQ(AuPresetFiles::readAupreset(folder / "p.aupreset", read), 3);

    ticpp::Document document;
    document.Parse(readText(folder / "p.aupreset"));
    EXPECT_EQ(document.FirstChildElement("plist")->FirstChildElement("dict")->FirstChildElement("string")->GetText(),
              "Saw <&> \"Bright\" 'n' Pad"); // white space runs come back condensed
}

TEST(AuPresetFiles, NumbersIgnoreTheLocale)
{
    TempFolder folder;
    // A global locale that groups thousands, as some user locales do.
    struct Grouping : std::numpunct<char>
    {
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
    const int written = AuPresetFiles::writeAupreset(folder / "p.aupreset", "x", sampleChunk(), false);
    std::locale::global(previous);
    ASSERT_EQ(written, 0);
    EXPECT_NE(readText(folder / "p.aupreset").find("\t<integer>1448301600</integer>\n"), std::string::npos);
}

TEST(AuPresetFiles, Version1BankIsConvertedOnRead)
{
    TempFolder folder;
    ByteVector data;
    for (int p = 0; p < 36; ++p)
    {
        std::string name = p == 3 ? std::string(64, 'L') : "AU " + std::to_string(p);
        appendName(data, name, 64);
        for (int i = 0; i < 120; ++i)
            appendFloatBigEndian(data, version1Value(p, i));
    }
    const std::string base64 = base64Encode(data.data(), static_cast<int>(data.size()));
    std::string lines;
    for (std::size_t i = 0; i < base64.size(); i += 68)
        lines += "\t" + base64.substr(i, 68) + "\n";
    writeFile(folder / "v1.aupreset", presetWith("<key>data</key>\n<data>\n" + lines + "</data>\n" + kManufacturer +
                                                  "<key>subtype</key><integer>2053467764</integer>\n" +
                                                  kInstrumentType));
    EXPECT_EQ(AuPresetFiles::parseAupreset(folder / "v1.aupreset"), 0x21u);
    ChunkBuffer bank;
    ASSERT_EQ(AuPresetFiles::readAupreset(folder / "v1.aupreset", bank), 0);
    ASSERT_TRUE(Version1Patch::isBank(bank));
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(bank, 35, &program));
    EXPECT_EQ(program.nameText(), "AU 35");
    EXPECT_EQ(program.values[17], version1Value(35, 17));
    EXPECT_EQ(Version1Patch::programName(bank, 3), std::string(27, 'L'));

    // Too little data for 36 records.
    writeFile(folder / "short.aupreset", presetWith("<key>data</key><data>" + base64.substr(0, 1000) + "</data>" +
                                                     kManufacturer +
                                                     "<key>subtype</key><integer>2053467764</integer>" +
                                                     kInstrumentType));
    EXPECT_EQ(AuPresetFiles::readAupreset(folder / "short.aupreset", bank), -1);
}

TEST(AuPresetFiles, WrongCodesMakeThePresetUnusable)
{
    TempFolder folder;
    const std::string data = "<key>data</key><data>eJzLSM3JyQcABiwCFQ==</data>\n";
    struct Case
    {
        std::string body;
        std::uint32_t bits;
    } cases[] = {
        {data + kManufacturer + kInstrumentSubtype + kInstrumentType, 0x81},
        {data + kManufacturer + kInstrumentSubtype + "<key>type</key><integer>1635083897</integer>", 0x281},
        {data + "<key>manufacturer</key><integer>1</integer>" + kInstrumentSubtype + kInstrumentType, 0x201},
        {data + kManufacturer + "<key>subtype</key><integer>7</integer>" + kInstrumentType, 0x201},
        {data + kManufacturer + "<key>subtype</key><string>2053467698</string>" + kInstrumentType, 0x201},
        // Keys in another order are fine; a missing or repeated one is not.
        {kInstrumentType + kInstrumentSubtype + kManufacturer + data, 0x81},
        {data + kManufacturer + kInstrumentType, 0x201},
        {kManufacturer + kInstrumentSubtype + kInstrumentType, 0x281},
        {data + kManufacturer + kInstrumentSubtype + kInstrumentType + kInstrumentSubtype, 0x281},
        {data + kManufacturer + kInstrumentSubtype + kInstrumentType + data, 0x281},
        {"<key>data</key><string>x</string>" + kManufacturer + kInstrumentSubtype + kInstrumentType, 0x201},
    };
    for (const Case& c : cases)
    {
        writeFile(folder / "p.aupreset", presetWith(c.body));
        EXPECT_EQ(AuPresetFiles::parseAupreset(folder / "p.aupreset"), c.bits) << c.body;
        ChunkBuffer chunk;
        EXPECT_EQ(AuPresetFiles::readAupreset(folder / "p.aupreset", chunk), c.bits == 0x81 ? 3 : -1) << c.body;
    }
}

TEST(AuPresetFiles, StructuralErrorsThrow)
{
    TempFolder folder;
    const std::string bodies[] = {
        "<?xml version=\"1.0\"?>\n<dict><key>data</key><data>AA==</data></dict>\n",
        "<plist><array /></plist>",
        "<plist><dict><string>x</string></dict></plist>",
        "<plist><dict><key>data</key></dict></plist>",
        "<plist><dict><key>name</key><string>Saw < Pad</string></dict></plist>",
    };
    for (const std::string& body : bodies)
    {
        writeFile(folder / "p.aupreset", body);
        EXPECT_THROW(AuPresetFiles::parseAupreset(folder / "p.aupreset"), ticpp::Exception) << body;
        ChunkBuffer chunk;
        EXPECT_THROW(AuPresetFiles::readAupreset(folder / "p.aupreset", chunk), ticpp::Exception) << body;
    }
    EXPECT_THROW(AuPresetFiles::parseAupreset(folder / "missing.aupreset"), ticpp::Exception);
}

TEST(AuPresetFiles, DeeplyNestedTextIsRefusedBeforeParsing)
{
    TempFolder folder;
    std::string deep;
    for (int i = 0; i < 1000000; ++i)
        deep += "<a>";
    writeFile(folder / "deep.aupreset", deep);
    EXPECT_THROW(AuPresetFiles::parseAupreset(folder / "deep.aupreset"), ticpp::Exception);
}

TEST(AuPresetFiles, EmptyDataIsNotUsable)
{
    TempFolder folder;
    writeFile(folder / "p.aupreset",
              presetWith("<key>data</key><data>\n</data>" + kManufacturer + kInstrumentSubtype + kInstrumentType));
    ChunkBuffer chunk;
    EXPECT_EQ(AuPresetFiles::readAupreset(folder / "p.aupreset", chunk), -1);
    EXPECT_EQ(AuPresetFiles::writeAupreset(folder / "q.aupreset", "x", ChunkBuffer(), false), 1);
    EXPECT_FALSE(fileExists(folder / "q.aupreset"));
}
