// libFuzzer target for the BMP header parser: any bytes at all must be parsed
// without reading past them, and a usable verdict must keep every read the
// platform's conversion will make inside the file and the converted block.
//
// With QUORVANE_WRITE_SEEDS set to a folder it writes the test writer's files
// there as a seed corpus and ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/common/bmp_writer.h"
#include "textures/dib_header.h"

namespace {

void Require(bool fact, const char* what)
{
    if (!fact) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void WriteSeeds(const std::string& folder)
{
    const std::vector<bmp::Format> formats = bmp::FormatCatalogue();
    for (size_t i = 0; i < formats.size(); ++i) {
        const std::vector<uint8_t> bytes = bmp::WriteBmp(formats[i]).bytes;
        std::ofstream out(folder + "/seed" + std::to_string(i) + ".bmp", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::printf("%zu seeds written to %s\n", formats.size(), folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* folder = std::getenv("QUORVANE_WRITE_SEEDS")) {
        WriteSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // libFuzzer hands over a heap block of exactly `size` bytes, so the
    // sanitizer sees any read past the file's end.
    const DibLayout layout = ParseDibFile(data, size);
    if (layout.verdict != DibUsable)
        return 0;
    const DibInfoHeader& h = layout.header;
    Require(layout.pixelOffset <= size && layout.pixelBytes <= size - layout.pixelOffset,
            "pixel data inside the file");
    Require(layout.pixelBytes > 0, "some pixel data");
    Require(h.biSize == 40 && h.biWidth > 0 && h.biHeight != 0 && h.biHeight != INT32_MIN,
            "sensible header");
    const uint64_t rows = h.biHeight < 0 ? 0 - static_cast<int64_t>(h.biHeight) : h.biHeight;
    Require((static_cast<uint64_t>(h.biWidth) * 3 + 3) / 4 * 4 * rows <= 0x7FFFFFFF,
            "24-bit section within 32-bit sizes");
    if (h.biCompression == dibRle8 || h.biCompression == dibRle4)
        Require(h.biSizeImage == layout.pixelBytes, "run-length data bounded by the file");
    else
        Require((static_cast<uint64_t>(h.biBitCount) * h.biWidth + 31) / 32 * 4 * rows ==
                    layout.pixelBytes,
                "whole rows inside the file");
    Require(layout.entryCount >= layout.maskCount + layout.colorCount + 1 &&
                layout.entryCount >= layout.maskCount + 256,
            "room for every entry the conversion reads");
    Require(layout.convertedSize == 40 + 4 * static_cast<size_t>(layout.entryCount),
            "converted size");
    std::vector<unsigned char> block(layout.convertedSize);
    ConvertDibHeader(data, layout, block.data());
    return 0;
}
