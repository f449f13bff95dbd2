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
orv_need_native "$writer"
out=$programs/tool_output
rm -rf "$out"
mkdir -p "$out/scripts"
"$writer" "$here/tool_profile.json" "$out/scripts" || { echo "FAILED: no scripts"; exit 1; }

orv_use_prefix "$root/win7"
ORV_SUBSTITUTE_DIR=$(orv_winpath "$out/scripts") orv_wine_run "$out/tools.out" "$out/tools.err" \
  "$programs/seam_test.exe" --only tool_ --substitutes "$(orv_winpath "$substitutes")"
orv_report_checks "tool cases" "$out/tools.out"
orv_wine_end
exit $failed
