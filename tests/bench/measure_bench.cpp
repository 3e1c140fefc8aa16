// Times the measuring: the probe pass and the ideal map of the default
// tunnel, the time a change takes with the error view on against a frame of
// the picture, and one run of the whole battery.
//   quorvane_measure_bench.exe [runs]   (default: 9)
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "measure/error_view.h"
#include "measure/lod_probe.h"
#include "measure/measure_battery.h"
#include "app/frame.h"
#include "render/scene_renderer.h"
#include "bench/bench_timing.h"
#include "wine/panel_defaults.h"

namespace {

void Frame()
{
    PresentFrame();
    glFinish();
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    if (!CreateRenderWindow())
        return 1;
    SetPanelDefaults();

    const TextureShape shape = BoundTextureShape();
    const GLuint probe = CreateProbeTexture(shape);
    std::vector<uint8_t> rgba;
    Report("Probe pass, default tunnel (draw, read back)", runs, [&] { ProbeView(probe, viewer.scene, rgba); });
    DeleteProbeTexture(probe);
    IdealLodMap ideal;
    const SceneModel model = BuildSceneModel(ViewOf(viewer.scene, shape));
    const LodRule rule = CurrentLodRule(shape);
    Report("Ideal LOD map, default tunnel (480k pixels)", runs,
           [&] { ComputeIdealLodMap(model, rule, false, ideal); });

    // A frame of the picture and one of the map in turn, so that the load of
    // the machine weighs on both alike.
    std::vector<double> added, frames;
    Frame();
    for (int i = 0; i < runs; ++i) {
        viewer.errorView = false;
        const double picture = Seconds(Frame);
        viewer.errorView = true;
        const double map = Seconds(Frame);
        frames.push_back(picture);
        added.push_back(map - picture);
    }
    ToggleErrorView();
    std::printf("%-44s median %9.2f ms   (a frame of the picture: %.2f ms)\n",
                "Error view's added time per change", Median(added) * 1e3, Median(frames) * 1e3);

    MeasureResults results;
    Report("Measuring battery (--measure, files aside)", 1, [&] { RunMeasureBattery(results); });
    DestroyRenderWindow();
    return 0;
}
