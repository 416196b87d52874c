#!/usr/bin/env bash
# Makes the Windows release on Debian 12, installing what is missing: Qt for 64-bit Windows, built
# once from Debian's own source of the host's Qt version into a cache outside the tree
# (~/.cache/duplora-windows, kept for later runs), then the game with MinGW-w64; writes
# build-windows/duplora-<version>-win64-setup.exe (an NSIS installer) and
# build-windows/duplora-<version>-win64.zip (the same files, to unpack and run anywhere).
#   scripts/windows.sh [--qt-only | --test | --bench]
# --qt-only builds only Qt (CI starts it early, at low priority). --bench then measures the game
# under Wine against a bare Qt window built the same way (scripts/bench.sh). --test then runs the Windows
# tests under Wine in an X server of its own: the unit tests, the desktop flow as Fred and as Ana;
# and the installer (tests/windows/installer.sh): silently installed, the game started from its
# shortcut, silently uninstalled, leaving the Wine prefix's files and registry as they were.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

MODE="${1:-}"
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix dpkg-dev nsis zip)
TEST_PACKAGES=(wine wine64 xvfb xauth xdotool x11-utils metacity python3-pil python3-numpy python3-xlib
               dbus-daemon dbus-bin)
[ "$MODE" = --test ] || [ "$MODE" = --bench ] || TEST_PACKAGES=()
install_missing "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

QT_VERSION="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/duplora-windows"
QT="$CACHE/qt-$QT_VERSION"
OUT="$ROOT/build-windows"
TOOLCHAIN="$ROOT/dist/windows/mingw64.cmake"

# Debian's source package of the host's Qt, through an apt of our own that reads the system's
# sources as deb-src, so the system's apt configuration stays as it is.
fetch_qt_source() {
    local apt="$CACHE/apt" list
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
    rm -f "$apt/parts/"*
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -e "$list" ] && sed 's/^Types: .*/Types: deb-src/' "$list" >"$apt/parts/$(basename "$list")"
    done
    [ -f /etc/apt/sources.list ] && sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$apt/parts/sources.list"
    local opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/parts" -o Dir::State::Lists="$apt/lists"
                -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1 -qq)
    apt-get "${opts[@]}" update
    (cd "$1" && apt-get "${opts[@]}" source "qt6-base=$QT_VERSION" >/dev/null)
}

# Core, Gui, Widgets, Test, the Windows platform plugin and its style, and the offscreen plugin
# the unit tests run on, with the bundled libraries; the host's own Qt tools (moc, rcc, uic).
# Debian's source leaves out the tablet support (wintab); OpenGL off takes its dynamic loader off
# too, or the Windows plugin does not compile.
build_qt() {
    local work="$CACHE/work-$QT_VERSION"
    rm -rf "$work" "$QT.part"
    mkdir -p "$work"
    fetch_qt_source "$work"
    cp "$TOOLCHAIN" "$work/mingw64.cmake"
    local off=(tabletevent opengl dynamicgl network sql dbus printsupport xml concurrent jpeg gif zstd
               system_zlib system_png system_freetype system_harfbuzz system_pcre2)
    local features=()
    for f in "${off[@]}"; do features+=("-DFEATURE_$f=OFF"); done
    cmake -S "$work"/qt6-base-*/ -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/mingw64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$QT.part" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF "${features[@]}" >"$work/configure.log" \
        || { tail -n 30 "$work/configure.log" >&2; exit 1; }
    cmake --build "$work/build" >"$work/build.log" || { tail -n 30 "$work/build.log" >&2; exit 1; }
    cmake --install "$work/build" >/dev/null
    mv "$QT.part" "$QT"
    rm -rf "$work"
}

[ -d "$QT" ] || { echo "Building Qt $QT_VERSION for Windows once, into $QT"; build_qt; }
[ "$MODE" = "--qt-only" ] && exit 0

# The game, with a picture generator built for this machine to draw its icons.
VERSION="$(sed -n 's/^project(duplora VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
NAME="duplora-$VERSION-win64"
# Tested, it is built with its tests, and, as all our own builds, with warnings as errors.
TESTED="$([ "$MODE" = --test ] && echo ON || echo OFF)"
BENCH="$([ "$MODE" = --bench ] && echo ON || echo OFF)"
configure_into build-windows/host -DBUILD_TESTING=OFF
cmake --build "$OUT/host" --target duplora-imagegen
"$QT/bin/qt-cmake" -S "$ROOT" -B "$OUT/game" -G Ninja -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DDUPLORA_HOST_IMAGEGEN="$OUT/host/duplora-imagegen" -DBUILD_TESTING="$TESTED" -DCMAKE_COMPILE_WARNING_AS_ERROR="$TESTED" \
    -DDUPLORA_BENCH="$BENCH" >/dev/null
cmake --build "$OUT/game"

# The release: the program and its pictures, and only the DLLs it loads: Qt's three, the Windows
# platform plugin and the style Qt picks on Windows, and MinGW's C++ runtime.
STAGE="$OUT/stage/Duplora"
rm -rf "$OUT/stage" "$OUT/$NAME.zip" "$OUT/$NAME-setup.exe"
mkdir -p "$STAGE/platforms" "$STAGE/styles"
cp "$OUT/game/duplora.exe" "$STAGE/"
cp -r "$ROOT/Images" "$STAGE/"
cp "$QT"/bin/Qt6{Core,Gui,Widgets}.dll "$STAGE/"
cp "$QT/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
cp "$QT/plugins/styles/qwindowsvistastyle.dll" "$STAGE/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")" "$STAGE/"
done
find "$STAGE" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
(cd "$OUT/stage" && zip -qr "$OUT/$NAME.zip" Duplora)
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DICON="$OUT/game/dist/duplora.ico" -DOUTFILE="$OUT/$NAME-setup.exe" "$ROOT/dist/windows/duplora.nsi"
ls -l "$OUT/$NAME-setup.exe" "$OUT/$NAME.zip"
[ -n "$MODE" ] || exit 0

# The tests, under Wine in a 64-bit prefix made anew (without Mono and Gecko, which nothing here
# needs, and without Wine's copies of the Start menu in this machine's own menus), finding Qt's and
# MinGW's DLLs where they were built; each in an X server of its own.
# Qt's messages go to standard error, not to a debugger (Wine hands Qt's variables to a Windows
# program only as WINEQT_...).
export WINEPREFIX="$OUT/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEQT_FORCE_STDERR_LOGGING=1
export WINEPATH="Z:$QT/bin;Z:$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)");Z:/usr/x86_64-w64-mingw32/lib"
rm -rf "$WINEPREFIX"
xvfb-run -a wine wineboot -i >/dev/null 2>&1
wineserver -w
if [ "$MODE" = "--bench" ]; then
    # Wine's server stays up between the programs, as it does on a desktop where Wine runs.
    wineserver -p
    bash "$ROOT/scripts/bench.sh" --windows "$OUT/game"
    wineserver -k
    exit 0
fi
status=0
(cd "$OUT/game" && ctest --output-on-failure --no-tests=error) || status=1

# The installer, installed, started from its shortcut and uninstalled, in an X server of its own.
xvfb-run -a -s "-screen 0 1024x768x24" bash "$ROOT/tests/windows/installer.sh" "$OUT/$NAME-setup.exe" "$OUT" || status=1
[ $status -eq 0 ] && echo "All Windows tests passed." || echo "Some Windows tests FAILED."
exit $status
