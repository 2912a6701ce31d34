#!/usr/bin/env bash
# The static analyser: cppcheck over the program's sources (every top-level
# folder with C++ sources but the tests, benchmarks, fuzzers and build-time
# tools, so a new library folder is covered as soon as it exists). Warnings,
# style and performance findings fail the run; the few findings not reported
# are listed with their reasons in tools/cppcheck-suppressions.txt, and a
# single line can be excused in place with a "// cppcheck-suppress <id>"
# comment above it. Exit status 0 when nothing is found, 1 otherwise.
#   tools/analyse.sh [-jN]       (default: one job a core)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="-j$(nproc)"
for arg in "$@"; do
    case "$arg" in
        -j[0-9]*) jobs="$arg" ;;
        *) echo "usage: tools/analyse.sh [-jN]" >&2; exit 2 ;;
    esac
done

folders=()
for folder in */; do
    folder=${folder%/}
    case "$folder" in
        tests | bench | fuzzing | tools | build*) continue ;;
    esac
    if [ -n "$(git ls-files -- "$folder/*.h" "$folder/*.cpp" "$folder/*.c")" ]; then
        folders+=("$folder")
    fi
done

# The repository root is the include root, so the project's own headers are
# read; Qt's are not (the qt library file describes its macros and classes).
exec cppcheck "$jobs" --quiet \
    --enable=warning,style,performance --error-exitcode=1 \
    --inline-suppr --suppressions-list=tools/cppcheck-suppressions.txt \
    --library=qt --std=c++20 --language=c++ -I . \
    "${folders[@]}"
