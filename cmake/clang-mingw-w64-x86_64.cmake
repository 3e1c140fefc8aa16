# Cross build for 64-bit Windows with clang, against the mingw-w64 headers,
# libraries and the posix-threads libstdc++ of the gcc cross compiler; linked by lld.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolPrefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${toolPrefix})
set(CMAKE_CXX_COMPILER_TARGET ${toolPrefix})
set(CMAKE_RC_COMPILER ${toolPrefix}-windres)
set(CMAKE_SYSROOT /usr/${toolPrefix})

# clang does not find Debian's gcc cross installation by itself.
file(GLOB gccDirs /usr/lib/gcc/${toolPrefix}/*-posix)
list(GET gccDirs 0 gccDir)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${gccDir}/include/c++ \
-isystem ${gccDir}/include/c++/${toolPrefix} -isystem ${gccDir}/include/c++/backward")
# The posix-threads libstdc++ needs winpthread; lld finds it wherever it stands.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gccDir} -lpthread")

set(CMAKE_FIND_ROOT_PATH /usr/${toolPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
