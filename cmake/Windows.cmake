# The Windows program, and its tests under Wine when cross-compiling.

add_library(quorvane_core STATIC ${PORTABLE_SOURCES} ${PLATFORM_SOURCES})
target_include_directories(quorvane_core PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(quorvane_core SYSTEM PUBLIC ${jsonIncludeDir})
target_compile_definitions(quorvane_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(quorvane_core PUBLIC comctl32 comdlg32 shell32 glu32 opengl32 gdi32 user32
    windowscodecs ole32 uuid)

# The version resource takes its numbers from the project's version.
configure_file(cmake/app_version.h.in ${CMAKE_BINARY_DIR}/generated/app_version.h)
add_executable(quorvane WIN32 app/main.cpp ui/settings.rc app/manifest.rc app/version.rc)
target_include_directories(quorvane PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(quorvane PRIVATE quorvane_core)
set_target_properties(quorvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(MSVC)
    # The manifest comes from app/manifest.rc; the linker must not add its own.
    target_link_options(quorvane PRIVATE /MANIFEST:NO)
endif()

if(MINGW)
    # The runtime is linked in, so the program needs no MinGW DLLs.
    set(staticRuntime -static -static-libgcc -static-libstdc++)
    target_link_options(quorvane PRIVATE ${staticRuntime})
endif()

if(QUORVANE_TESTS AND CMAKE_CROSSCOMPILING)
    enable_testing()
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

    # All Windows cases in one process: Wine costs a second per start.
    file(GLOB wineTestSources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
    # With the program's manifest: the tests see windows at the DPI it does.
    add_executable(quorvane_wine_tests ${wineTestSources} ui/settings.rc app/manifest.rc)
    target_include_directories(quorvane_wine_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(quorvane_wine_tests PRIVATE quorvane_core gtest)
    target_link_options(quorvane_wine_tests PRIVATE ${staticRuntime})
    set_target_properties(quorvane_wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    add_dependencies(quorvane_wine_tests quorvane)
    # The 32-bit build's suite has a name of its own in the one ctest run.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(wineTests wine32_tests)
    else()
        set(wineTests wine_tests)
    endif()
    # The renderer tests keep their frames here; scripts/test compares those
    # of the 32-bit and the 64-bit build. Emptied first, so none is stale.
    set(frameDir ${CMAKE_BINARY_DIR}/frames)
    add_test(NAME ${wineTests}_clear_frames COMMAND ${CMAKE_COMMAND} -E rm -rf ${frameDir})
    set_tests_properties(${wineTests}_clear_frames PROPERTIES FIXTURES_SETUP ${wineTests}_frames)
    add_test(NAME ${wineTests} COMMAND quorvane_wine_tests)
    # scripts/wine-exec answers 77 for a 32-bit program where the host cannot
    # run one.
    set_tests_properties(${wineTests} PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED ${wineTests}_frames
                         ENVIRONMENT "QUORVANE_FRAME_DIR=Z:${frameDir}" SKIP_RETURN_CODE 77)

    # What the built file itself must hold: machine type, system DLLs only,
    # the manifest, the version resource and the icon.
    add_test(NAME ${wineTests}_exe_checks
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-exe $<TARGET_FILE:quorvane>
                     ${CMAKE_SYSTEM_PROCESSOR} ${PROJECT_VERSION})

    # The driver matrix and the short soak run with the 64-bit build.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        # The same suite on other drivers. llvmpipe without the optional
        # extensions: all of it, the extensions' own cases skip themselves.
        add_test(NAME wine_tests_noext COMMAND quorvane_wine_tests)
        set_tests_properties(wine_tests_noext PROPERTIES TIMEOUT 900 ENVIRONMENT
            "MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic -GL_EXT_texture_lod_bias")
        # softpipe draws a frame in about a second: the cases where the driver
        # draws, uploads, reads back or reports its limits, not the panel's logic.
        set(driverCases RenderWindowTest.*:RendererTest.*:BitmapTextureTest.*:TeardownTest.*)
        string(APPEND driverCases :Program.*:MissingExtensionTest.*:SettingsPanelTest.SettledStartUpState)
        string(APPEND driverCases :BrowseTest.PictureLargerThanTheDriversTexturesIsRefusedAndTheShownOneStays)
        string(APPEND driverCases :CaptureProgram.CtrlSSavesAViewThatTheCommandLineReplays)
        string(APPEND driverCases -RendererTest.TexCoordCallsPerFrame)
        add_test(NAME wine_tests_softpipe COMMAND quorvane_wine_tests --gtest_filter=${driverCases})
        set_tests_properties(wine_tests_softpipe PROPERTIES TIMEOUT 900 ENVIRONMENT GALLIUM_DRIVER=softpipe)

        # The real program driven from a second process for a while; scripts/soak
        # runs it for longer.
        file(GLOB soakSources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/soak/*.cpp)
        add_executable(quorvane_soak ${soakSources})
        target_include_directories(quorvane_soak PRIVATE ${PROJECT_SOURCE_DIR}/tests)
        target_link_libraries(quorvane_soak PRIVATE quorvane_core psapi)
        target_link_options(quorvane_soak PRIVATE ${staticRuntime})
        set_target_properties(quorvane_soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
        add_dependencies(quorvane_soak quorvane)
        add_test(NAME soak COMMAND quorvane_soak --minutes 1.5)
        set_tests_properties(soak PROPERTIES TIMEOUT 300)
    endif()
endif()

if(CMAKE_CROSSCOMPILING)
    # Timings, run by scripts/bench; not part of the test suite.
    add_executable(quorvane_bench tests/bench/load_bench.cpp)
    target_include_directories(quorvane_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(quorvane_bench PRIVATE quorvane_core psapi)
    target_link_options(quorvane_bench PRIVATE ${staticRuntime})
    set_target_properties(quorvane_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

    add_executable(quorvane_measure_bench tests/bench/measure_bench.cpp)
    target_include_directories(quorvane_measure_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(quorvane_measure_bench PRIVATE quorvane_core)
    target_link_options(quorvane_measure_bench PRIVATE ${staticRuntime})
    set_target_properties(quorvane_measure_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

    add_executable(quorvane_capture_bench tests/bench/capture_bench.cpp)
    target_include_directories(quorvane_capture_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(quorvane_capture_bench PRIVATE quorvane_core)
    target_link_options(quorvane_capture_bench PRIVATE ${staticRuntime})
    set_target_properties(quorvane_capture_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    add_dependencies(quorvane_capture_bench quorvane)
endif()

# The release: scripts/package makes quorvane-<major.minor>-win64.zip or -win32.zip
# with the program, a README for Windows users (CRLF, for every Notepad) and
# the screenshots.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QUORVANE_PLATFORM "32-bit Windows")
    set(packagePlatform win32)
else()
    set(QUORVANE_PLATFORM "64-bit Windows")
    set(packagePlatform win64)
endif()
set(QUORVANE_VERSION ${PROJECT_VERSION})
set(QUORVANE_SHORT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
configure_file(docs/README.txt ${CMAKE_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS quorvane RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)
file(GLOB screenshots ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${screenshots} DESTINATION screenshots)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME quorvane-${QUORVANE_SHORT_VERSION}-${packagePlatform})
# Unpacked, everything is in one folder of the same name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The debugging information stays in the build; the zip gets the lean program.
set(CPACK_STRIP_FILES ON)
include(CPack)
