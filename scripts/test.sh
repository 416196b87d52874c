#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: once as built, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short libFuzzer run over the picture
# reader. Exits non-zero when anything fails.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

TEST_PACKAGES=(libqt6test6 xvfb xauth xdotool x11-utils python3-pil tesseract-ocr dpkg-dev file lintian
               desktop-file-utils appstream valgrind libx11-dev clang libclang-rt-14-dev metacity weston
               qt6-wayland)
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

status=0
build_into build -DBUILD_TESTING=ON -DDUPLORA_BENCH=ON
(cd "$ROOT/build" && ctest --output-on-failure --no-tests=error) || status=1

build_into build-sanitize -DBUILD_TESTING=ON -DDUPLORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd "$ROOT/build-sanitize" && ctest --output-on-failure --no-tests=error) || status=1

build_into build-fuzz -DDUPLORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
(cd "$ROOT/build-fuzz" && ctest --output-on-failure --no-tests=error) || status=1

[ $status -eq 0 ] && echo "All tests passed: plain, under the sanitizers, and the fuzz run." || echo "Some tests FAILED."
exit $status
