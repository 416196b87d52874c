#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as built, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero when anything fails.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

TEST_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick tesseract-ocr dpkg-dev file lintian desktop-file-utils appstream valgrind)
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

status=0
build_into build
(cd "$ROOT/build" && ctest --output-on-failure) || status=1

build_into build-sanitize -DDUPLORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd "$ROOT/build-sanitize" && ctest --output-on-failure) || status=1

[ $status -eq 0 ] && echo "All tests passed, plain and under the sanitizers." || echo "Some tests FAILED."
exit $status
