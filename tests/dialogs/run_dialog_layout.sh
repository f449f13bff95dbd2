#!/bin/sh
# Runs the dialog layout checks under Wine for the executable's own copy of
# the progress dialog and for the English library's, with a picture of each
# while its spinner turns.
# usage: run_dialog_layout.sh TEST_EXE LIBRARY OUTPUT_DIR WINE_ROOT
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine/lib.sh"
orv_with_display "$0" "$@"

program=$1 library=$2 out=$3 root=$4
rm -rf "$out"
mkdir -p "$out"
orv_use_prefix "$root/win7"
for case in ExecutableCopy EnglishLibrary; do
  wine "$program" "$(orv_winpath "$library")" "$case" >"$out/$case.out" 2>"$out/$case.err" &
  pid=$!
  # The dialog stays up 1.5 s with its spinner turning; the picture is for people.
  sleep 1
  orv_screenshot "$out/$case.png"
  wait "$pid"
  orv_report_checks "$case" "$out/$case.out"
done
orv_wine_end
echo "pictures: $out"
exit "$failed"
