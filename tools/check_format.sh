#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format says; lists the
# places. Fix them with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked and new files alike; a tracked file deleted in the working tree is passed over.
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' |
  while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done |
  xargs -0 clang-format --dry-run -Werror
echo "format: every C++ file as .clang-format says"
