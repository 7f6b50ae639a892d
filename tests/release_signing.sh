#!/usr/bin/env bash
# A signed release, made as tools/release.sh makes it with a real certificate and time-stamp
# server, here a throwaway self-signed certificate for code signing and a time-stamp server on this
# machine: torva.scr inside the zip and inside the MSI, the MSI's action DLL, and the MSI itself,
# must each carry a signature and a time stamp that verify against those certificates, and the
# unsigned release must carry none. Uses the win32 build as it is.
#   tests/release_signing.sh [<folder for the signed release>]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/torva-signing.XXXXXX")
server_pid=
trap '[ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
out=${1:-$root/build/release-signed}

fail() { echo "FAIL: $*" >&2; exit 1; }

# A self-signed certificate for `purpose` (an extended key usage) in $work/<name>.pem and .key.
certificate() {
  openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=Torva test $1" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=critical,$1" \
    -keyout "$work/$2.key" -out "$work/$2.pem" 2>/dev/null
}
certificate codeSigning signing
openssl pkcs12 -export -inkey "$work/signing.key" -in "$work/signing.pem" -out "$work/signing.pfx" \
  -passout pass:throwaway
certificate timeStamping tsa

# An RFC 3161 time-stamp server: answers each query posted to it with openssl's reply.
echo 01 >"$work/serial"
cat >"$work/tsa.cnf" <<CONFIG
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = $work/serial
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
CONFIG
python3 - "$work" >"$work/port" <<'SERVER' &
import http.server, subprocess, sys
work = sys.argv[1]
class TimeStamps(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        with open(work + '/query.tsq', 'wb') as query:
            query.write(self.rfile.read(int(self.headers['Content-Length'])))
        subprocess.run(['openssl', 'ts', '-reply', '-config', work + '/tsa.cnf', '-queryfile',
                        work + '/query.tsq', '-out', work + '/reply.tsr'], check=True, capture_output=True)
        with open(work + '/reply.tsr', 'rb') as reply:
            answer = reply.read()
        self.send_response(200)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(('127.0.0.1', 0), TimeStamps)
print(server.server_port, flush=True)
server.serve_forever()
SERVER
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || fail "the time-stamp server did not start"

rm -rf "$out"
TORVA_SIGN_PFX=$work/signing.pfx TORVA_SIGN_PASSWORD=throwaway \
  TORVA_SIGN_TIMESTAMP=http://127.0.0.1:$(cat "$work/port")/ \
  "$root/tools/release.sh" --no-build --out "$out"

# Verifies `file`'s signature and time stamp against the two certificates.
verify() {
  local report
  report=$(osslsigncode verify -CAfile "$work/signing.pem" -TSA-CAfile "$work/tsa.pem" -in "$1" 2>&1) ||
    fail "$2: $(grep -iE 'fail|error' <<<"$report" | head -3)"
  grep -q 'Signature verification: ok' <<<"$report" || fail "$2: no verified signature"
  grep -q 'Timestamp Server Signature verification: ok' <<<"$report" || fail "$2: no verified time stamp"
  echo "signing: $2: signed by $(grep -m1 'Subject:' <<<"$report" | sed 's/^.*Subject: *//'), time-stamped, both verified"
}

msi=$(ls "$out"/torva-*.msi)
zip=$(ls "$out"/torva-*-win32.zip)
verify "$msi" "$(basename "$msi")"
unzip -p "$zip" torva.scr >"$work/zip-torva.scr"
verify "$work/zip-torva.scr" "torva.scr in $(basename "$zip")"
msiextract -C "$work/msi" "$msi" >/dev/null
verify "$(find "$work/msi" -name torva.scr | head -1)" "torva.scr in $(basename "$msi")"
msiinfo extract "$msi" Binary.InstallerActions >"$work/installer_actions.dll"
verify "$work/installer_actions.dll" "the installer's action DLL in $(basename "$msi")"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"

# The unsigned release beside it, built without the variables, carries no signature.
unsigned=$(ls "$root"/build/release/torva-*.msi 2>/dev/null | head -1) || true
if [ -n "$unsigned" ]; then
  ! osslsigncode verify -CAfile "$work/signing.pem" -in "$unsigned" >/dev/null 2>&1 ||
    fail "the unsigned release's $(basename "$unsigned") verifies"
fi
