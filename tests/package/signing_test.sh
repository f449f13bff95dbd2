#!/bin/sh
# Signed packages with the tools a release engineer uses: a throw-away
# certificate from openssl, osslsigncode to sign the package after the build
# and to verify it, orvpack to verify it again, and the updater's own
# extraction on the simulated notebook, which must run exactly as with the
# unsigned package. The end-to-end run under Wine signs its package with
# the same steps (sign_package.sh) and runs it once, on Windows 10.
#   signing_test.sh UPDATER_EXE WINDOWS_BUILD NATIVE_BUILD WORK_FOLDER
set -eu
updater=$1 windows=$2 native=$3 work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
orvpack=$native/tools/orvpack/orvpack
sim=$native/tools/orv-sim/orv-sim
for tool in "$orvpack" "$sim"; do
  [ -x "$tool" ] || { echo "skipped: no native build at $native"; exit 77; }
done
sign="$root/tests/package/sign_package.sh"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() {
  echo "FAILED: $*"
  exit 1
}

"$root/tools/demo/make-payload.sh" payload "$windows" >/dev/null
"$orvpack" build --updater "$updater" --flags 8 --output package.exe --payload payload >/dev/null
sh "$sign" package.exe signed.exe keys || fail "the package could not be signed"

osslsigncode verify -CAfile keys/cert.pem signed.exe >osslverify.txt 2>&1 ||
  { cat osslverify.txt; fail "osslsigncode does not verify the signed package"; }
grep -q "Signature verification: ok" osslverify.txt || fail "no verified signature"

"$orvpack" verify signed.exe >verify.txt 2>&1 || { cat verify.txt; fail "orvpack verify"; }
grep -q "signed after the archive: Authenticode signature" verify.txt ||
  { cat verify.txt; fail "orvpack verify does not name the signature"; }

# The archive is untouched by signing: the simulated run is the same line
# for line, but for the package's name.
for package in package signed; do
  "$sim" run --profile "$root/profiles/demo.json" --package $package.exe >$package.run 2>&1 || true
done
grep -q "ConResEn.dll" package.run || fail "the unsigned package's run extracted nothing"
diff package.run signed.run || fail "the signed package runs differently"

# A signed updater cannot carry an archive: build says so and writes nothing.
sh "$sign" "$updater" signed-updater.exe keys || fail "the updater could not be signed"
if "$orvpack" build --updater signed-updater.exe --flags 8 --output broken.exe \
  --payload payload >build.txt 2>&1; then
  fail "build accepted a signed updater"
fi
grep -q "carries a code signature" build.txt || { cat build.txt; fail "build gave no reason"; }
[ ! -e broken.exe ] || fail "a refused build left a package"
echo "signed package verified by osslsigncode and orvpack, extracted as the unsigned one"
