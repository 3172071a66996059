#!/usr/bin/env bash
# Fails, naming the files, when a C++ source of the project differs from the root .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
