#!/bin/sh
# Builds the demo package: the payload folder appended to an updater
# executable with the release flags word 8 (FlashLastArea). Any file that
# begins with "MZ" serves as the updater when the Windows build is absent:
# the package tool needs only its DOS header.
#
# usage: make-package.sh PAYLOAD_DIR UPDATER_EXE OUTPUT_EXE
# The package tool is $ORVPACK, else build/native/tools/orvpack/orvpack.
set -eu

if [ $# -ne 3 ]; then
  echo "usage: $0 PAYLOAD_DIR UPDATER_EXE OUTPUT_EXE" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
orvpack=${ORVPACK:-$root/build/native/tools/orvpack/orvpack}
if [ ! -x "$orvpack" ]; then
  echo "$0: no package tool at $orvpack (build the native preset or set ORVPACK)" >&2
  exit 2
fi
"$orvpack" build --updater "$2" --flags 8 --output "$3" --payload "$1"
"$orvpack" verify "$3"
