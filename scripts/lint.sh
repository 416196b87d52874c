#!/usr/bin/env bash
# Checks the house style: C++ as the project's .clang-format formats it, Python as flake8 reads it
# at 100 columns (.flake8). Run on Debian 12, whose formatters are the reference: other releases'
# clang-format lays out some lines otherwise.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_missing clang-format flake8 git
cd "$ROOT"
status=0
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror || status=1
git ls-files '*.py' | xargs flake8 || status=1
[ $status -eq 0 ] && echo "The code is formatted as the house formats it."
exit $status
