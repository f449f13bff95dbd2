#!/bin/sh
# Lists every C and C++ source that clang-format would change; fails if any.
# usage: check-style.sh CLANG_FORMAT (from the repository's root)
set -eu
format=$1
files=$(git ls-files '*.c' '*.cpp' '*.h')
[ -n "$files" ] || { echo "no sources listed (not a git checkout?)"; exit 1; }
bad=0
for file in $files; do
  if ! "$format" --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "not in the project's style: $file (clang-format -i $file)"
    bad=$((bad + 1))
  fi
done
[ "$bad" -eq 0 ] || { echo "$bad files to format"; exit 1; }
echo "every source is in the project's style"
