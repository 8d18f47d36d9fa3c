#!/usr/bin/env bash
# Checks that every C++ file of the tree is as clang-format leaves it (the
# .clang-format at the root); with --fix, reformats them instead.
# Non-zero, with the files' names, when one is not.
set -euo pipefail
cd "$(dirname "$0")/.."

tool=clang-format-14  # Debian 12's: the one the tree is formatted with
if ! command -v "$tool" >/dev/null; then
  echo "format-check: $tool is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi

unformatted=()
for f in "${files[@]}"; do
  if ! "$tool" --dry-run --Werror "$f" >/dev/null 2>&1; then
    unformatted+=("$f")
  fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "format-check: ${#unformatted[@]} of ${#files[@]} files differ from clang-format's layout:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  echo "format-check: bash scripts/format-check.sh --fix reformats them" >&2
  exit 1
fi
echo "format-check: ${#files[@]} files formatted"
