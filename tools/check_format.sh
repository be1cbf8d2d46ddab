#!/usr/bin/env bash
# The format stage of the test command: every C++ file as .clang-format says, every include
# within the code layers (tools/check_layers.py), every shell script through shellcheck and every
# Python file through pyflakes. `clang-format -i FILE` fixes a C++ file it lists.
set -euo pipefail
cd "$(dirname "$0")/.."
tracked() { git ls-files -z --cached --others --exclude-standard -- "$@" |
  while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done; }

tracked '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format: every C++ file as .clang-format says"

python3 tools/check_layers.py
echo "layers: every include as the table of tools/check_layers.py allows"

# Warnings and errors fail; shellcheck's notes and style hints are left to judgement.
tracked '*.sh' .ci/run | xargs -0 shellcheck -x -S warning
echo "shellcheck: every shell script"

tracked '*.py' | xargs -0 pyflakes3
echo "pyflakes: every Python file"
