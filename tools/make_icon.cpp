// Draws the program's icon, a checkerboard floor running away from the eye
// with its far bands tinted as the program tints mip levels, and writes it
// as an .ico with 16, 24, 32, 48 and 64 pixel images (32-bit with alpha).
// Built and run by scripts/make-icon; the result is kept in app/quorvane.ico.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

// The floor seen from above its near edge: v grows toward the horizon.
Rgba FloorColour(double x, double y)
{
    const double depth = 1.0 / (1.08 - y);  // 1 at the bottom, ~12 at the top
    const double u = (x - 0.5) * depth * 2.0;
    const double v = depth * 2.0;
    const bool white = (static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v))) % 2 == 0;
    const double shade = white ? 1.0 : 0.0;
    // Level bands by distance: picture, then red, green, blue tints.
    static const double tints[4][3] = {{1, 1, 1}, {1, 0.15, 0.15}, {0.15, 1, 0.15}, {0.2, 0.35, 1}};
    int band = static_cast<int>(std::log2(depth) * 1.2);
    if (band > 3)
        band = 3;
    const double* tint = tints[band];
    const double mix = band == 0 ? 0.0 : 0.55;
    auto channel = [&](double t) { return (1 - mix) * shade + mix * t * (0.35 + 0.65 * shade); };
    return {channel(tint[0]), channel(tint[1]), channel(tint[2]), 1.0};
}

// One image, 4 x 4 samples a pixel, on a dark rounded tile.
std::vector<uint8_t> DrawBgra(int side)
{
    std::vector<uint8_t> bgra(static_cast<size_t>(side) * side * 4);
    const double radius = 0.16;
    for (int py = 0; py < side; ++py)
        for (int px = 0; px < side; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double x = (px + (sx + 0.5) / 4) / side;
                    const double y = 1.0 - (py + (sy + 0.5) / 4) / side;  // y up
                    const double cx = std::fmin(std::fmax(x, radius), 1 - radius);
                    const double cy = std::fmin(std::fmax(y, radius), 1 - radius);
                    if (std::hypot(x - cx, y - cy) > radius)
                        continue;  // outside the rounded tile
                    const double border = 1.0 / side;
                    const bool edge = x < border || x > 1 - border || y < border ||
                                      y > 1 - border ||
                                      std::hypot(x - cx, y - cy) > radius - border;
                    const Rgba c = edge ? Rgba{0.2, 0.2, 0.2, 1} : FloorColour(x, y);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    a += 1;
                }
            uint8_t* p = &bgra[(static_cast<size_t>(side - 1 - py) * side + px) * 4];  // bottom-up
            const double n = a > 0 ? a : 1;
            p[0] = static_cast<uint8_t>(std::lround(255 * b / n));
            p[1] = static_cast<uint8_t>(std::lround(255 * g / n));
            p[2] = static_cast<uint8_t>(std::lround(255 * r / n));
            p[3] = static_cast<uint8_t>(std::lround(255 * a / 16));
        }
    return bgra;
}

void Put16(std::vector<uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    const int sides[] = {16, 24, 32, 48, 64};
    const int count = sizeof(sides) / sizeof(sides[0]);
    std::vector<std::vector<uint8_t>> images;
    for (int side : sides) {
        std::vector<uint8_t> image;
        Put32(image, 40);                                   // BITMAPINFOHEADER size
        Put32(image, static_cast<uint32_t>(side));          // width
        Put32(image, static_cast<uint32_t>(side * 2));      // colour rows and mask rows
        Put16(image, 1);                                    // planes
        Put16(image, 32);                                   // bits per pixel
        for (int i = 0; i < 6; ++i)
            Put32(image, 0);                                // BI_RGB, sizes, colours
        const std::vector<uint8_t> bgra = DrawBgra(side);
        image.insert(image.end(), bgra.begin(), bgra.end());
        // The AND mask, 1 bit a pixel in rows of whole 32-bit words: set where
        // transparent, for the systems that ignore alpha.
        const int maskRow = (side + 31) / 32 * 4;
        for (int y = 0; y < side; ++y) {
            std::vector<uint8_t> row(maskRow, 0);
            for (int x = 0; x < side; ++x)
                if (bgra[(static_cast<size_t>(y) * side + x) * 4 + 3] == 0)
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            image.insert(image.end(), row.begin(), row.end());
        }
        images.push_back(image);
    }

    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, count);
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<uint8_t>(sides[i]));
        file.push_back(static_cast<uint8_t>(sides[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images)
        file.insert(file.end(), image.begin(), image.end());

    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::perror(argv[1]);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
