#!/bin/sh
# The outside utilities' launch under Wine with the substitute programs as
# real processes: seam_test.exe's tool_ cases, with the substitutes'
# scripts written from tool_profile.json by the native build's
# make_substitute_scripts, as the simulated notebook reads the same entries.
# usage: run_tool_tests.sh PROGRAM_DIR SUBSTITUTE_DIR NATIVE_BUILD WINE_ROOT
# Exit status 77 (skipped) when the native build is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
orv_with_display "$0" "$@"

programs=$1 substitutes=$2 native=$3 root=$4
writer=$native/tools/substitute/make_substitute_scripts
if [ ! -x "$writer" ]; then
  echo "SKIPPED: $writer is missing; build the native preset first"
  exit 77
fi
out=$programs/tool_output
rm -rf "$out"
mkdir -p "$out/scripts"
"$writer" "$here/tool_profile.json" "$out/scripts" || { echo "FAILED: no scripts"; exit 1; }

orv_wine_prefix "$root/win7" || { echo "wineboot failed, see $root/win7/.orv-wineboot.log"; exit 1; }
ORV_SUBSTITUTE_DIR=$(orv_winpath "$out/scripts") orv_wine_run "$out/tools.out" "$out/tools.err" \
  "$programs/seam_test.exe" --only tool_ --substitutes "$(orv_winpath "$substitutes")"
failed=0
if orv_checks_passed "$out/tools.out"; then
  echo "tools: $(tail -n 1 "$out/tools.out" | tr -d '\r')"
else
  echo "FAILED: tool cases"
  cat "$out/tools.out"
  failed=1
fi
orv_wine_end
exit $failed
