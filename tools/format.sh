#!/usr/bin/env bash
# The house style: clang-format with the committed .clang-format over every
# C/C++ file git tracks.
#   tools/format.sh           reformat the files in place
#   tools/format.sh --check   change nothing; list each deviation and exit 1
#                             when a file deviates (CI runs this)
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
for arg in "$@"; do
    case "$arg" in
        --check) check=1 ;;
        *) echo "usage: tools/format.sh [--check]" >&2; exit 2 ;;
    esac
done

if [ "$check" = 1 ]; then
    if ! git ls-files -z -- '*.h' '*.cpp' '*.c' | xargs -0 -r -P "$(nproc)" -n 32 clang-format --dry-run -Werror; then
        echo "Files above deviate from .clang-format; tools/format.sh reformats them." >&2
        exit 1
    fi
else
    git ls-files -z -- '*.h' '*.cpp' '*.c' | xargs -0 -r -P "$(nproc)" -n 32 clang-format -i
fi
