#!/bin/sh
# Structure of the built OrvantaUpdate.exe: a 32-bit windowed program that
# asks for administrator rights, carries its version, and imports only
# functions of system DLLs that Windows XP already has.
# usage: check_executable.sh OBJDUMP STRINGS EXE ALLOWLIST
set -u
objdump=$1 strings=$2 exe=$3 allowlist=$4
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

headers=$("$objdump" -p "$exe") || { echo "FAILED: objdump cannot read $exe"; exit 1; }
echo "$headers" | grep -q 'file format pei-i386' || fail "not a PE32 i386 image"
echo "$headers" | grep -Eq '^Magic[[:space:]]+010b' || fail "optional header is not PE32"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not the windowed (GUI) subsystem"

# The manifest is UTF-8 text, the version strings UTF-16.
"$strings" -n 8 "$exe" | grep -q 'requestedExecutionLevel level="requireAdministrator"' ||
  fail "no manifest asking for administrator rights"
"$strings" -n 8 "$exe" | grep -q '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' ||
  fail "the manifest does not declare Windows 10"
wide=$("$strings" -e l -n 3 "$exe")
for key in VS_VERSION_INFO CompanyName ProductName FileVersion ProductVersion; do
  echo "$wide" | grep -qx "$key" || fail "version resource lacks $key"
done
echo "$wide" | grep -qx 'Orvanta' || fail "version resource does not name Orvanta"

# Imports as "dll function" lines, DLL names in lower case; an import by
# ordinal shows as a number.
imports=$(echo "$headers" | awk '
  /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
  /^[[:space:]]*$/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +/ { print dll, $NF }')
[ -n "$imports" ] || fail "no imports found"
allowed=$(grep -v '^#' "$allowlist" | awk 'NF == 2 { print tolower($1), $2 }')
echo "$imports" | while read -r dll function; do
  if ! echo "$allowed" | grep -qx "$dll $function"; then
    echo "FAILED: $dll $function is not on the list of functions Windows XP has"
  fi
done | tee "$exe.import-failures"
[ -s "$exe.import-failures" ] && failed=1
rm -f "$exe.import-failures"
for never in GetTickCount64 TryEnterCriticalSection; do
  echo "$imports" | grep -q " $never\$" && fail "imports $never, which Windows XP lacks"
done

echo "$(echo "$imports" | wc -l) imports from: $(echo "$imports" | cut -d' ' -f1 | sort -u | tr '\n' ' ')"
exit $failed
