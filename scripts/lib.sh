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
    libgl1 libglx-mesa0 libgl1-mesa-dri nlohmann-json3-dev
)
# The 32-bit build runs under 32-bit Wine, which needs 32-bit OpenGL. Only to
# run it: cross-compiling needs none of these.
packages32=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)

# Printed where the 32-bit programs cannot run; ctest shows their tests skipped.
no32BitReason="this host cannot run 32-bit programs: the 32-bit suite is skipped"
# The exit code that ctest counts as a skip (SKIP_RETURN_CODE).
skipCode=77

# Whether this host executes 32-bit x86 programs. Some kernels are built
# without that and answer "Exec format error". Decided once: the answer goes to
# QUORVANE_HOST_RUNS_32BIT (1 or 0), which the test processes inherit; setting
# it beforehand overrides the check.
HostRuns32Bit() {
    if [ -z "${QUORVANE_HOST_RUNS_32BIT:-}" ]; then
        # A 96-byte static i386 ELF that only exits with code 42. In the build
        # folder, because /tmp may be mounted noexec.
        local probe="$buildDir/.run32-probe"
        mkdir -p "$buildDir"
        printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00%b%b%b%b%b' \
            '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00' \
            '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00' \
            '\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00' \
            '\x05\x00\x00\x00\x00\x10\x00\x00' \
            '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
        chmod +x "$probe"
        local status=0
        "$probe" 2>/dev/null || status=$?
        rm -f "$probe"
        if [ $status -eq 42 ]; then QUORVANE_HOST_RUNS_32BIT=1; else QUORVANE_HOST_RUNS_32BIT=0; fi
        export QUORVANE_HOST_RUNS_32BIT
    fi
    [ "$QUORVANE_HOST_RUNS_32BIT" = 1 ]
}

# Debian's `wine` wrapper takes the 32-bit loader whenever wine32 is installed,
# and so fails for every program on a host that cannot run 32-bit code. The
# 64-bit loader runs 64-bit programs anywhere and hands 32-bit ones on to the
# 32-bit loader beside it (named by WINELOADER without its "64").
FindWineLoader() {
    local candidate
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    # Other distributions' `wine` is the 64-bit loader itself.
    command -v wine || {
        echo "no Wine loader found" >&2
        return 1
    }
}

# Names the loader in WINELOADER, which Wine's own processes read too.
UseWineLoader() {
    [ -n "${WINELOADER:-}" ] && return 0
    WINELOADER=$(FindWineLoader) || return 1
    export WINELOADER
}

# Runs a Windows program, or one of Wine's own (wineboot, reg, taskkill).
Wine() {
    UseWineLoader && "$WINELOADER" "$@"
}

# Installs whatever of the packages is missing, as root or through sudo.
EnsurePackages() {
    local missing=()
    local package wanted=("${packages[@]}")
    if HostRuns32Bit; then
        wanted+=("${packages32[@]}")
    else
        echo "$no32BitReason; its packages are not installed"
    fi
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    # The :i386 packages need the architecture known to dpkg first.
    if [[ " ${missing[*]} " == *:i386* ]]; then
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    fi
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
set_tests_properties(frames_equal_in_both_builds PROPERTIES DEPENDS "wine_tests;wine32_tests"
                     SKIP_RETURN_CODE $skipCode)
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
    UseWineLoader
    HostRuns32Bit || true
    # One server for the whole run, so each test process starts fast.
    mkdir -p "$WINEPREFIX"
    wineserver -p
    Wine wineboot -i >/dev/null 2>&1
    # Unmanaged windows: Wine draws frames itself and modal boxes close at once.
    Wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash prints a backtrace instead of waiting in a dialog.
    Wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
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
