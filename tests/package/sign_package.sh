#!/bin/sh
# Signs a built package as a release engineer does after `orvpack build`,
# with a throw-away certificate for tests: openssl makes key.pem and
# cert.pem in KEYS (once; valid for a day), osslsigncode signs INPUT into
# OUTPUT. Verify with `osslsigncode verify -CAfile KEYS/cert.pem OUTPUT`.
#   sign_package.sh INPUT OUTPUT KEYS
# Exit status 77 when openssl or osslsigncode is missing.
set -eu
input=$1 output=$2 keys=$3
for tool in openssl osslsigncode; do
  command -v $tool >/dev/null || { echo "sign_package.sh: $tool is not installed" >&2; exit 77; }
done
mkdir -p "$keys"
if [ ! -f "$keys/cert.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 1 \
    -subj "/CN=Orvanta test release" >"$keys/openssl.txt" 2>&1 ||
    { cat "$keys/openssl.txt" >&2; echo "sign_package.sh: openssl made no certificate" >&2; exit 1; }
fi
osslsigncode sign -certs "$keys/cert.pem" -key "$keys/key.pem" -n "Orvanta notebook firmware update" \
  -in "$input" -out "$output" >"$keys/sign.txt" 2>&1 ||
  { cat "$keys/sign.txt" >&2; echo "sign_package.sh: osslsigncode could not sign $input" >&2; exit 1; }
