# Platform-free code and its tests on the build machine, under AddressSanitizer
# and UndefinedBehaviorSanitizer; the libFuzzer targets when built with clang.

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${sanitizers})
add_link_options(${sanitizers})
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage for the fuzzers in everything they call.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_library(quorvane_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(quorvane_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(quorvane_portable SYSTEM PUBLIC ${jsonIncludeDir})

if(QUORVANE_TESTS)
    enable_testing()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    file(GLOB nativeTestSources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
    add_executable(quorvane_native_tests ${nativeTestSources})
    target_include_directories(quorvane_native_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(quorvane_native_tests PRIVATE quorvane_portable gtest gtest_main)
    add_test(NAME native_tests COMMAND quorvane_native_tests)
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    file(GLOB fuzzSources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*.cpp)
    foreach(fuzzSource ${fuzzSources})
        get_filename_component(fuzzName ${fuzzSource} NAME_WE)
        add_executable(${fuzzName} ${fuzzSource})
        target_link_libraries(${fuzzName} PRIVATE quorvane_portable)
        target_compile_options(${fuzzName} PRIVATE -fsanitize=fuzzer)
        target_link_options(${fuzzName} PRIVATE -fsanitize=fuzzer)
    endforeach()
endif()
