#!/usr/bin/env bash
# The sources keep the tree's .clang-format: a file that drifts fails here
# with the lines clang-format would change. Skips where clang-format or git
# is missing, or outside a git checkout (a release tarball).
set -uo pipefail
root="${1:?usage: check-format.sh SOURCE_DIR}"
cd "$root" || exit 1

if ! command -v clang-format >/dev/null || ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "clang-format or a git checkout is missing: the format is not checked"
    exit 77
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "run: clang-format -i \$(git ls-files '*.cpp' '*.h')"
    exit 1
fi
echo "${#files[@]} files keep the format"
