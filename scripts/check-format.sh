#!/usr/bin/env bash
# Fails, naming the files, when a C++ source of the repository differs from the project's style (.clang-format).
# `clang-format -i FILE` puts a file right.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v '^fuzz/corpus/')
clang-format --dry-run --Werror "${sources[@]}"
echo "style: ${#sources[@]} files follow .clang-format"
