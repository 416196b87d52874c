#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: once as built, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short libFuzzer run over the picture
# reader. Exits non-zero when anything fails. With --plain, only the tests as built: CI runs the
# sanitizers and the fuzzer on one release, the newest, whose compilers know the most.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
PLAIN=""
[ "${1:-}" = "--plain" ] && PLAIN=1

TEST_PACKAGES=(libqt6test6 xvfb xauth xdotool x11-utils python3-pil python3-numpy python3-xlib lintian blhc
               build-essential debhelper desktop-file-utils appstream valgrind libx11-dev metacity weston
               qt6-wayland dbus-daemon dbus-bin libglib2.0-bin orca at-spi2-core speech-dispatcher
               speech-dispatcher-espeak-ng bsdutils)
[ -n "$PLAIN" ] || TEST_PACKAGES+=(clang libclang-rt-dev)
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# Our own builds turn every warning into an error. The plain one is built with the hardening
# flags Ubuntu's compiler adds by itself; the package test builds with Debian's (hardening=+all).
WERROR=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON
UBUNTU_FLAGS="-O2 -D_FORTIFY_SOURCE=3 -fstack-clash-protection -fcf-protection"

status=0
build_into build -DBUILD_TESTING=ON -DDUPLORA_BENCH=ON "-DCMAKE_CXX_FLAGS=$UBUNTU_FLAGS" $WERROR
(cd "$ROOT/build" && ctest --output-on-failure --no-tests=error) || status=1

if [ -z "$PLAIN" ]; then
    build_into build-sanitize -DBUILD_TESTING=ON -DDUPLORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $WERROR
    (cd "$ROOT/build-sanitize" && ctest --output-on-failure --no-tests=error) || status=1

    build_into build-fuzz -DDUPLORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ $WERROR
    (cd "$ROOT/build-fuzz" && ctest --output-on-failure --no-tests=error) || status=1
fi

[ $status -eq 0 ] && echo "All tests passed${PLAIN:+ (as built)}." || echo "Some tests FAILED."
exit $status
