#!/usr/bin/env bash
# A signed release, made as tools/release.sh makes it with a real certificate, here a throwaway
# self-signed one for code signing: torva.scr inside the zip and inside the MSI, and the MSI itself,
# must each carry a signature that verifies against that certificate, and the unsigned release must
# carry none. Uses the win32 build as it is.
#   tests/release_signing.sh [<folder for the signed release>]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/torva-signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=${1:-$root/build/release-signed}

fail() { echo "FAIL: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=Torva test code signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -out "$work/signing.pfx" \
  -passout pass:throwaway

rm -rf "$out"
TORVA_SIGN_PFX=$work/signing.pfx TORVA_SIGN_PASSWORD=throwaway \
  "$root/tools/release.sh" --no-build --out "$out"

# Verifies `file`'s signature against the certificate; prints osslsigncode's verdict.
verify() {
  local report
  report=$(osslsigncode verify -CAfile "$work/certificate.pem" -in "$1" 2>&1) ||
    fail "$2: $(grep -iE 'fail|error' <<<"$report" | head -3)"
  grep -q 'Signature verification: ok' <<<"$report" || fail "$2: no verified signature"
  echo "signing: $2: $(grep -m1 'Subject:' <<<"$report" | sed 's/^[[:space:]]*//'), verification ok"
}

msi=$(ls "$out"/torva-*.msi)
zip=$(ls "$out"/torva-*-win32.zip)
verify "$msi" "$(basename "$msi")"
unzip -p "$zip" torva.scr >"$work/zip-torva.scr"
verify "$work/zip-torva.scr" "torva.scr in $(basename "$zip")"
msiextract -C "$work/msi" "$msi" >/dev/null
verify "$(find "$work/msi" -name torva.scr | head -1)" "torva.scr in $(basename "$msi")"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"

# The unsigned release beside it, built without the variables, carries no signature.
unsigned=$(ls "$root"/build/release/torva-*.msi 2>/dev/null | head -1) || true
if [ -n "$unsigned" ]; then
  ! osslsigncode verify -CAfile "$work/certificate.pem" -in "$unsigned" >/dev/null 2>&1 ||
    fail "the unsigned release's $(basename "$unsigned") verifies"
fi
