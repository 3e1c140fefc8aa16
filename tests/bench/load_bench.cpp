// Times what a user waits for: reading a large BMP, turning it into the bitmap
// texture, rebuilding the checkerboard, drawing one frame of the default
// tunnel, capturing the view as PNG and JSON, a change with the error view on
// and the measuring battery. Prints the median of several runs of each (the
// battery runs once).
//   quorvane_bench.exe [runs] [side]   (defaults: 5 runs, a 4096 x 4096 picture)
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "capture/view_capture.h"
#include "common/bmp_writer.h"
#include "measure/error_view.h"
#include "measure/lod_probe.h"
#include "measure/measure_battery.h"
#include "render/scene_renderer.h"
#include "textures/bitmap_texture.h"
#include "textures/checker_texture.h"
#include "textures/dib_reader.h"
#include "wine/panel_defaults.h"

namespace {

double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Prints the median, min and max of the runs and returns the median in seconds.
double Report(const char* what, int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(Seconds(work));
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %9.2f ms   (min %.2f, max %.2f, %d runs)\n", what,
                times[times.size() / 2] * 1e3, times.front() * 1e3, times.back() * 1e3, runs);
    std::fflush(stdout);
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int side = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4096;
    if (!CreateRenderWindow())
        return 1;
    SetPanelDefaults();

    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "quorvane-bench.bmp";
    {
        bmp::Format format;
        format.width = side;
        format.height = side;
        const std::vector<uint8_t> bytes = bmp::WriteBmp(format).bytes;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::printf("%d x %d 24-bit BMP, %d runs each\n", side, side, runs);

    bool loaded = true;
    Report("LoadDibImage (map, convert, reorder rows)", runs, [&] {
        RgbImage* picture = LoadDibImage(path.c_str());
        loaded = loaded && picture != nullptr;
        if (picture != nullptr) {
            std::free(picture->pixels);
            std::free(picture);
        }
    });
    for (MipmapMode mode : {Normal, Tinted}) {
        viewer.mipmapMode = mode;
        Report(mode == Normal ? "LoadBitmapTexture, Normal" : "LoadBitmapTexture, Tinted", runs,
               [&] { loaded = LoadBitmapTexture(path.c_str()) && loaded; });
    }
    viewer.mipmapMode = Tinted;
    Report("BuildCheckerTexture", runs, [] { BuildCheckerTexture(); });
    BindTextureStages();
    Report("RenderScene, default tunnel (200 faces)", runs, [] {
        RenderScene();
        glFinish();
    });

    const std::string shot = std::string(directory) + "quorvane-bench-view.png";
    Report("CaptureView (frame, read back, PNG, JSON)", runs, [&] {
        std::string reason;
        loaded = CaptureView(shot.c_str(), &reason) && loaded;
    });
    DeleteFileA(shot.c_str());
    DeleteFileA((std::string(directory) + "quorvane-bench-view.json").c_str());

    // The error view: a change while it is on draws the probe and the map
    // instead of the picture; the difference of the two medians is its cost.
    {
        const TextureShape shape = BoundTextureShape();
        const GLuint probe = CreateProbeTexture(shape);
        std::vector<uint8_t> rgba;
        Report("Probe pass, default tunnel (draw, read back)", runs, [&] { ProbeView(probe, rgba); });
        DeleteProbeTexture(probe);
        IdealLodMap ideal;
        const SceneModel model = BuildSceneModel(CurrentSceneView(shape));
        const LodRule rule = CurrentLodRule(shape);
        Report("Ideal LOD map, default tunnel (480k pixels)", runs,
               [&] { ComputeIdealLodMap(model, rule, false, ideal); });
        // A frame of the picture and one of the map in turn, so that the
        // load of the machine weighs on both alike.
        std::vector<double> added, frames;
        for (int i = 0; i < std::max(runs, 9); ++i) {
            viewer.errorView = false;
            const double picture = Seconds([] {
                RenderScene();
                glFinish();
            });
            viewer.errorView = true;
            const double map = Seconds([] {
                RenderScene();
                glFinish();
            });
            frames.push_back(picture);
            added.push_back(map - picture);
        }
        ToggleErrorView();
        std::sort(added.begin(), added.end());
        std::sort(frames.begin(), frames.end());
        std::printf("%-44s median %9.2f ms   (a frame in the same runs: %.2f ms)\n",
                    "Error view's added time per change", added[added.size() / 2] * 1e3,
                    frames[frames.size() / 2] * 1e3);
    }
    Report("Measuring battery (--measure without files)", 1, [] {
        MeasureResults results;
        RunMeasureBattery(results);
    });

    DeleteFileA(path.c_str());
    DestroyRenderWindow();
    if (!loaded)
        std::printf("The picture did not load.\n");
    return loaded ? 0 : 1;
}
