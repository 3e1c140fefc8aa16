// Times what a user waits for: reading a large BMP, turning it into the bitmap
// texture (with our scaler and, for comparison, with gluScaleImage as it was
// done before), rebuilding the checkerboard, drawing one frame of the default
// tunnel and capturing the view as PNG and JSON. Prints the median of several
// runs of each, where the load's time goes (reading, scaling, upload), and the
// ratio of the two paths.
//   quorvane_bench.exe [runs] [side]   (defaults: 5 runs, a 4096 x 4096 picture)
//   quorvane_bench.exe memory ours|glu [side]   peak memory of one load
#include <windows.h>
#include <psapi.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "capture/command_line.h"
#include "capture/view_capture.h"
#include "common/bmp_writer.h"
#include "app/frame.h"
#include "render/scene_renderer.h"
#include "textures/bitmap_levels.h"
#include "textures/bitmap_texture.h"
#include "textures/checker_texture.h"
#include "textures/dib_reader.h"
#include "textures/mip_scaler.h"
#include "bench/bench_timing.h"
#include "wine/panel_defaults.h"

namespace {

void FreePicture(RgbImage* picture)
{
    if (picture != nullptr) {
        std::free(picture->pixels);
        std::free(picture);
    }
}

// The texture builder as it was: every level by gluScaleImage, read with the
// unpack and written with the pack alignment.
bool LoadBitmapTextureWithGlu(const char* path)
{
    RgbImage* picture = LoadDibImage(path);
    if (picture == nullptr)
        return false;
    BitmapLevelSize sizes[maxBitmapLevels];
    const int levelCount = BitmapLevelSizes(picture->width, picture->height, sizes);
    unsigned char* block = static_cast<unsigned char*>(
        std::malloc(static_cast<size_t>(sizes[0].width) * sizes[0].height * 3));
    if (levelCount == 0 || block == nullptr) {
        std::free(block);
        FreePicture(picture);
        return false;
    }
    GLuint& name = viewer.textureNames[bitmapTexture];
    glDeleteTextures(1, &name);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int level = 0; level < levelCount; ++level) {
        const int width = sizes[level].width;
        const int height = sizes[level].height;
        gluScaleImage(GL_RGB, picture->width, picture->height, GL_UNSIGNED_BYTE, picture->pixels,
                      width, height, GL_UNSIGNED_BYTE, block);
        ColorBitmapLevel(block, width, height, level, viewer.mipmapMode);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, block);
    }
    glPopClientAttrib();
    std::free(block);
    FreePicture(picture);
    return true;
}

const char* ModeName(MipmapMode mode)
{
    return mode == Normal ? "Normal" : mode == Tinted ? "Tinted" : "Full Colored";
}

std::string WritePicture(int side)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "quorvane-bench.bmp";
    bmp::Format format;
    format.width = side;
    format.height = side;
    const std::vector<uint8_t> bytes = bmp::WriteBmp(format).bytes;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void PrintMemory(const char* when)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("  %-22s peak working set %7.1f MB, peak commit %7.1f MB\n", when,
                counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0);
}

// One load with one path in a fresh process, so the peaks are its own.
int MeasureMemory(bool glu, int side)
{
    if (!CreateRenderWindow())
        return 1;
    SetPanelDefaults();
    viewer.mipmapMode = Normal;
    const std::string path = WritePicture(side);
    std::printf("%s path, %d x %d picture:\n", glu ? "gluScaleImage" : "Our scaler", side, side);
    PrintMemory("before the load");
    const bool loaded = glu ? LoadBitmapTextureWithGlu(path.c_str()) : LoadBitmapTexture(path.c_str());
    PrintMemory("after the load");
    DeleteFileA(path.c_str());
    DestroyRenderWindow();
    return loaded ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "memory") == 0)
        return MeasureMemory(std::strcmp(argv[2], "glu") == 0, argc > 3 ? std::max(1, std::atoi(argv[3])) : 4096);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int side = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4096;
    if (!CreateRenderWindow())
        return 1;
    SetPanelDefaults();

    const std::string path = WritePicture(side);
    std::printf("%d x %d 24-bit BMP, %d runs each\n", side, side, runs);

    bool loaded = true;
    const double reading = Report("LoadDibImage (map, convert, reorder rows)", runs, [&] {
        RgbImage* picture = LoadDibImage(path.c_str());
        loaded = loaded && picture != nullptr;
        FreePicture(picture);
    });

    // Where a load's time goes: scaling every level, and uploading them.
    RgbImage* picture = LoadDibImage(path.c_str());
    BitmapLevelSize sizes[maxBitmapLevels];
    const int levelCount = picture ? BitmapLevelSizes(picture->width, picture->height, sizes) : 0;
    std::vector<unsigned char> block(levelCount ? static_cast<size_t>(sizes[0].width) * sizes[0].height * 3 : 1);
    std::vector<unsigned char> upper(block.size() / 4 + 1);
    double scaling[3] = {};
    for (MipmapMode mode : {Normal, FullColored}) {
        const std::string what = std::string("  scaling every level, ") + ModeName(mode);
        scaling[mode] = Report(what.c_str(), runs, [&] {
            ScaleLevels(picture->pixels, picture->width, picture->height, sizes, levelCount, mode != FullColored,
                        block.data(), mode != FullColored ? upper.data() : nullptr, [](int, unsigned char*) {});
        });
    }
    for (MipmapMode mode : {Tinted, FullColored}) {
        const std::string what = std::string("  colouring every level, ") + ModeName(mode);
        Report(what.c_str(), runs, [&] {
            for (int level = 1; level < levelCount; ++level)
                ColorBitmapLevel(block.data(), sizes[level].width, sizes[level].height, level, mode);
        });
    }
    // As the builder does it: the previous texture object goes, a new one
    // takes every level.
    GLuint scratch = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const double upload = Report("  uploading every level (new texture object)", runs, [&] {
        glDeleteTextures(1, &scratch);
        glGenTextures(1, &scratch);
        glBindTexture(GL_TEXTURE_2D, scratch);
        for (int level = 0; level < levelCount; ++level)
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, sizes[level].width, sizes[level].height, 0, GL_RGB,
                         GL_UNSIGNED_BYTE, block.data());
        glFinish();
    });
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glDeleteTextures(1, &scratch);
    FreePicture(picture);
    std::printf("  (sum for Normal: reading %.0f + scaling %.0f + upload %.0f = %.0f ms)\n", reading * 1e3,
                scaling[Normal] * 1e3, upload * 1e3, (reading + scaling[Normal] + upload) * 1e3);

    // A mode change reloads the same file, so every mode is one full load.
    for (MipmapMode mode : {Normal, Tinted, FullColored}) {
        viewer.mipmapMode = mode;
        const std::string ours = std::string("LoadBitmapTexture, ") + ModeName(mode);
        const std::string glu = std::string("  the same with gluScaleImage, ") + ModeName(mode);
        const double oursTime = Report(ours.c_str(), runs, [&] { loaded = LoadBitmapTexture(path.c_str()) && loaded; });
        const double gluTime =
            Report(glu.c_str(), runs, [&] { loaded = LoadBitmapTextureWithGlu(path.c_str()) && loaded; });
        std::printf("  ratio gluScaleImage / ours: %.1fx\n", gluTime / oursTime);
    }
    viewer.mipmapMode = Tinted;
    Report("BuildCheckerTexture", runs, [] { BuildCheckerTexture(); });
    BindTextureStages();
    Report("PresentFrame, default tunnel (200 faces)", runs, [] {
        PresentFrame();
        glFinish();
    });

    const std::string shot = path.substr(0, path.size() - 4) + "-view.png";
    Report("CaptureView (frame, read back, PNG, JSON)", runs, [&] {
        std::string reason;
        loaded = CaptureView(shot.c_str(), &reason) && loaded;
    });
    DeleteFileA(shot.c_str());
    DeleteFileA(JsonPathFor(shot).c_str());

    DeleteFileA(path.c_str());
    DestroyRenderWindow();
    if (!loaded)
        std::printf("The picture did not load.\n");
    return loaded ? 0 : 1;
}
