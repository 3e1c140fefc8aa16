// Which reader a picture goes to, and the decoded rows' reordering.
#include <gtest/gtest.h>

#include <vector>

#include "textures/picture_kind.h"

namespace {

TEST(PictureKind, BmpByNameOrByItsFirstBytes)
{
    const unsigned char bm[] = {'B', 'M'};
    const unsigned char png[] = {0x89, 'P'};
    const struct {
        const char* path;
        const unsigned char* head;
        size_t length;
        bool bmp;
    } rows[] = {
        {"C:\\a\\card.bmp", png, 2, true},   // a broken .bmp keeps the BMP messages
        {"card.BMP", nullptr, 0, true},
        {"card.Dib", nullptr, 0, true},
        {"card.png", bm, 2, true},           // a BMP under another name
        {"card.png", png, 2, false},
        {"card.png", bm, 1, false},          // one byte is not "BM"
        {"bmp", bm + 1, 1, false},
        {"card.bmp.png", nullptr, 0, false},
        {".bm", nullptr, 0, false},
        {"", nullptr, 0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.bmp, ReadsAsBmp(row.path, row.head, row.length)) << row.path;
}

TEST(PictureKind, RowsTurnBottomUpBlueSwapsWithRedAndAlphaGoes)
{
    // Pixel (x, y) from the top holds blue 10y + x, green 100, red 200 + x,
    // alpha 7: the alpha must not show in any channel.
    const struct {
        size_t width;
        size_t height;
    } sizes[] = {{1, 1}, {2, 3}, {3, 4}, {5, 1}, {1, 6}};
    for (const auto& size : sizes) {
        std::vector<unsigned char> bgra;
        for (size_t y = 0; y < size.height; ++y)
            for (size_t x = 0; x < size.width; ++x)
                bgra.insert(bgra.end(), {static_cast<unsigned char>(10 * y + x), 100,
                                         static_cast<unsigned char>(200 + x), 7});
        // Exactly the picture's size, so ASan sees any write past it.
        std::vector<unsigned char> rgb(size.width * size.height * 3);
        BgraTopDownToRgbBottomUp(bgra.data(), size.width, size.height, rgb.data());
        for (size_t row = 0; row < size.height; ++row)
            for (size_t x = 0; x < size.width; ++x) {
                const size_t y = size.height - 1 - row;
                const unsigned char* p = &rgb[(row * size.width + x) * 3];
                EXPECT_EQ(200 + x, p[0]) << size.width << "x" << size.height << " row " << row;
                EXPECT_EQ(100, p[1]);
                EXPECT_EQ(10 * y + x, p[2]) << size.width << "x" << size.height << " row " << row;
            }
    }
}

}  // namespace
