#!/bin/sh
# The layering of src/ is a fact of the build: each library compiles with an
# include root that shows only the folders below it. This check preprocesses
# one header of every folder with every library's root and compares what
# resolves with the layering the project is designed for, so a root that
# shows too much (or too little) fails here, and no source may step around
# the roots with a relative include.
# usage: check-layering.sh CXX LAYER_ROOTS SOURCE_DIR
set -u
cxx=$1 roots=$2 src=$3

# library: the folders of src/ it may include (os = the seam's interface).
allowed() {
  case $1 in
    orv_os) echo "os" ;;
    orv_core) echo "os core" ;;
    orv_package) echo "os core package" ;;
    orv_hw) echo "os core hw" ;;
    orv_firmware) echo "os core hw firmware" ;;
    orv_ui) echo "os core hw firmware package ui" ;;
    orv_app) echo "os core hw firmware package ui app" ;;
    # The formats shared with the package tool: no layer, not even the seam.
    # The text format sees only its own two headers of core; the image
    # formats their own headers, the flag bits and little_endian.h.
    orv_text_format) echo "core" ;;
    orv_image_format) echo "" ;;
  esac
}
# One header of each folder, and the seam's implementations.
probe() {
  case $1 in
    os) echo "os/os.h" ;;
    sim) echo "os/sim/notebook.h" ;;
    machine) echo "os/sim/machine/machine.h" ;;
    *) (cd "$src" && ls "$1"/*.h | head -n 1) ;;
  esac
}

failures=0
checked=0
for library in orv_os orv_core orv_package orv_hw orv_firmware orv_ui orv_app orv_text_format orv_image_format; do
  root=$roots/$library
  [ -d "$root" ] || { echo "no include root for $library"; failures=$((failures + 1)); continue; }
  for folder in os core package hw firmware ui app sim machine; do
    header=$(probe $folder)
    expected=refused
    case " $(allowed $library) " in *" $folder "*) expected=resolved ;; esac
    if printf '#include "%s"\n' "$header" | "$cxx" -std=c++20 -E -x c++ -I"$root" - >/dev/null 2>&1; then
      got=resolved
    else
      got=refused
    fi
    checked=$((checked + 1))
    if [ "$got" != "$expected" ]; then
      echo "$library: #include \"$header\" $got, expected $expected"
      failures=$((failures + 1))
    fi
  done
done

relative=$(grep -rn '#include "\.\./' "$src" || true)
if [ -n "$relative" ]; then
  echo "relative includes step around the include roots:"
  echo "$relative"
  failures=$((failures + 1))
fi

[ "$checked" -gt 0 ] || { echo "nothing checked"; exit 1; }
[ "$failures" -eq 0 ] || { echo "$failures layering faults"; exit 1; }
echo "layering holds: $checked includes checked"
