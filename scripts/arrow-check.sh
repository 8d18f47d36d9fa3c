#!/usr/bin/env bash
# Holds every #include "..." of the tree against the allowed folder-to-folder
# arrows of docs/arrows.tsv; one line per include that breaks it, then a summary.
# Non-zero when one does. --list prints the arrows the tree has, with counts.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v python3 >/dev/null; then
  echo "arrow-check: python3 is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
exec python3 scripts/arrow_check.py "$@"
