#!/usr/bin/env bash
# Finds every if/else/for/while/do body without braces in the product code
# (every C++ file outside tests/); one line per body, then a summary.
# Non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v python3 >/dev/null; then
  echo "brace-check: python3 is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
exec python3 scripts/brace_check.py "$@"
