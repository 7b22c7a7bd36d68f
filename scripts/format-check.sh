#!/usr/bin/env bash
# Every tracked C++ source file as the repository's .clang-format lays it out; lists the
# files that are not (fix with clang-format -i FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
echo "clang-format: ${#files[@]} files, ${#bad[@]} not formatted"
if [ ${#bad[@]} -gt 0 ]; then
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
