// Which reader a picture goes to, and the decoded rows' reordering.
#include <gtest/gtest.h>

#include <vector>

#include "textures/picture_kind.h"

namespace {

TEST(PictureKind, BmpByNameOrByItsFirstBytes)
{
    const unsigned char bm[] = {'B', 'M'}, png[] = {0x89, 'P'};
    const struct {
        const char* path;
        const unsigned char* head;
        size_t length;
        bool bmp;
    } rows[] = {
        {"C:\\a\\card.bmp", png, 2, true}, {"card.BMP", nullptr, 0, true}, {"card.Dib", nullptr, 0, true},
        {"card.png", bm, 2, true},         {"card.png", png, 2, false},    {"card.png", bm, 1, false},
        {"card.bmp.png", nullptr, 0, false}, {".bm", nullptr, 0, false},   {"", nullptr, 0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.bmp, ReadsAsBmp(row.path, row.head, row.length)) << row.path;
}

TEST(PictureKind, RowsTurnBottomUpBlueSwapsWithRedAndAlphaGoes)
{
    // Pixel (x, y) from the top: blue 10y + x, green 100, red 200 + x, alpha 7.
    for (const size_t width : {1, 2, 5})
        for (const size_t height : {1, 3, 4}) {
            std::vector<unsigned char> bgra, rgb(width * height * 3);  // ASan sees overruns
            for (size_t y = 0; y < height; ++y)
                for (size_t x = 0; x < width; ++x)
                    bgra.insert(bgra.end(), {static_cast<unsigned char>(10 * y + x), 100,
                                             static_cast<unsigned char>(200 + x), 7});
            BgraTopDownToRgbBottomUp(bgra.data(), width, height, rgb.data());
            for (size_t row = 0; row < height; ++row)
                for (size_t x = 0; x < width; ++x) {
                    const unsigned char* p = &rgb[(row * width + x) * 3];
                    EXPECT_EQ(std::vector<int>({int(200 + x), 100, int(10 * (height - 1 - row) + x)}),
                              std::vector<int>(p, p + 3)) << width << "x" << height << " row " << row;
                }
        }
}

}  // namespace
