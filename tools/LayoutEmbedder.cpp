// Build step: compresses the layout document with zlib and writes a source
// file that defines the compressed bytes and their 64-bit length, so that the
// plug-ins carry the layout and read no layout file at run time.
//
//   zentrova-embed-layout INPUT.xml OUTPUT.cpp

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s INPUT.xml OUTPUT.cpp\n", argv[0]);
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input)
    {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());

    uLongf length = compressBound(static_cast<uLong>(text.size()));
    std::vector<unsigned char> stream(length);
    if (compress2(stream.data(), &length, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
            Z_BEST_COMPRESSION) != Z_OK)
    {
        std::fprintf(stderr, "%s: cannot compress %s\n", argv[0], argv[1]);
        return 1;
    }

    std::ostringstream out;
    out << "// Generated at build time from the layout document; do not edit.\n"
           "#include \"editor/layout/LayoutDocument.h\"\n\n"
           "const unsigned char layoutDocumentStream[] = {";
    for (uLongf i = 0; i < length; ++i)
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(stream[i]) << ',';
    out << "\n};\n\nconst std::uint64_t layoutDocumentStreamLength = " << length << "u;\n";

    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    output << out.str();
    if (!output.flush())
    {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
