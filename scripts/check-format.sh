#!/usr/bin/env bash
# Checks every tracked C++ file against the project's .clang-format without changing any;
# lists the files that differ and fails when there are some.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing (scripts/install-deps.sh)" >&2; exit 1; }
differ=()
while IFS= read -r -d '' file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || differ+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#differ[@]} -gt 0 ]; then
  printf 'Not formatted with .clang-format (fix with clang-format -i FILE):\n' >&2
  printf '  %s\n' "${differ[@]}" >&2
  exit 1
fi
