# Shared by scripts/run, scripts/test and scripts/fuzz: packages, builds and a
# private headless Wine. Meant to be sourced.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Builds go to build/ unless QUORVANE_BUILD_DIR names another folder.
buildDir=${QUORVANE_BUILD_DIR:-$root/build}

packages=(
    cmake make g++ clang lld libclang-rt-14-dev googletest zip unzip
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    wine wine64 libwine xvfb xauth x11-utils imagemagick
    libgl1 libglx-mesa0 libgl1-mesa-dri
    # The 32-bit build runs under 32-bit Wine, which needs 32-bit OpenGL.
    wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
)

# Installs whatever of the packages is missing, as root or through sudo.
EnsurePackages() {
    local missing=()
    local package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    # The :i386 packages need the architecture known to dpkg first.
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds the native tests, the 64-bit and the 32-bit Windows
# program with their tests, and the program once more with clang.
BuildAll() {
    local jobs
    jobs=$(nproc)
    cmake -S "$root" -B "$buildDir/native" -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$buildDir/native" -j "$jobs"
    BuildWindows
    BuildWindows32
    BuildClangWindows
    # One ctest run from build/ covers the three trees, then compares the
    # frames the two Windows builds drew.
    cat >"$buildDir/CTestTestfile.cmake" <<EOF
subdirs("native")
subdirs("win")
subdirs("win32")
add_test(frames_equal_in_both_builds "$root/scripts/compare-builds" "$buildDir")
set_tests_properties(frames_equal_in_both_builds PROPERTIES DEPENDS "wine_tests;wine32_tests")
EOF
}

BuildWindows() {
    cmake -S "$root" -B "$buildDir/win" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$buildDir/win" -j "$(nproc)"
}

BuildWindows32() {
    cmake -S "$root" -B "$buildDir/win32" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
    cmake --build "$buildDir/win32" -j "$(nproc)"
}

# The program alone, with clang, every warning an error.
BuildClangWindows() {
    cmake -S "$root" -B "$buildDir/clang-win" -DQUORVANE_TESTS=OFF \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$buildDir/clang-win" -j "$(nproc)" --target quorvane
}

# Starts a private Xvfb on a free display and a throwaway Wine prefix with a
# persistent wineserver; StopHeadlessWine undoes all of it.
StartHeadlessWine() {
    workDir=$(mktemp -d /tmp/quorvane.XXXXXX)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$workDir/display" \
        >"$workDir/xvfb.log" 2>&1 &
    xvfbPid=$!
    local tries=0
    while [ ! -s "$workDir/display" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 $xvfbPid 2>/dev/null; then
            echo "Xvfb did not start:" >&2
            cat "$workDir/xvfb.log" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(cat "$workDir/display")"
    export WINEPREFIX="$workDir/prefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono or Gecko installers: they would wait for a click.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # One server for the whole run, so each test process starts fast.
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wine wineboot -i >/dev/null 2>&1
    # Unmanaged windows: Wine draws frames itself and modal boxes close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash prints a backtrace instead of waiting in a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
}

StopHeadlessWine() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    if [ -n "${xvfbPid:-}" ]; then
        kill "$xvfbPid" 2>/dev/null || true
        wait "$xvfbPid" 2>/dev/null || true
    fi
    [ -n "${workDir:-}" ] && rm -rf "$workDir"
    unset WINEPREFIX xvfbPid workDir
}
