# Source lists shared by the product, the Windows tests and the native tests.

# Code that needs neither Win32 nor OpenGL: also built and tested natively.
set(PORTABLE_SOURCES
    app/extension_words.cpp
    textures/checker_texels.cpp
    textures/dib_header.cpp
    textures/picture_kind.cpp
    textures/bitmap_levels.cpp
    textures/texture_limit.cpp
    textures/mip_scaler.cpp
    ui/settings_values.cpp
    capture/command_line.cpp
    capture/json_writer.cpp
    capture/view_record.cpp
    measure/scene_model.cpp
    measure/ideal_lod.cpp
    measure/footprint_atlas.cpp
    measure/probe_colors.cpp
    measure/lod_figures.cpp
    measure/error_image.cpp
    measure/report_json.cpp
    measure/report_sheet.cpp
    measure/flower_plot.cpp
)

# Code on Win32, OpenGL and GLU.
set(PLATFORM_SOURCES
    app/viewer_state.cpp
    app/render_window.cpp
    app/frame.cpp
    app/window_dpi.cpp
    textures/checker_texture.cpp
    textures/dib_reader.cpp
    textures/wic_reader.cpp
    textures/picture_file.cpp
    textures/bitmap_texture.cpp
    render/scene_renderer.cpp
    ui/settings_panel.cpp
    ui/picture_drop.cpp
    capture/file_output.cpp
    app/standard_streams.cpp
    app/user_report.cpp
    capture/view_capture.cpp
    app/command_line_run.cpp
    app/window_measure.cpp
    measure/lod_probe.cpp
    measure/error_view.cpp
    measure/measure_battery.cpp
    measure/sheet_text.cpp
    measure/measure_report.cpp
)
