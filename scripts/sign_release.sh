#!/usr/bin/env bash
# Authenticode-signs a release with osslsigncode: zintra.exe, then the
# installer made again from the signed program (so the installed copy is
# signed too), then the installer itself.
#
#   scripts/sign_release.sh build/release/app/zintra.exe OUT_DIR
#
# (build/release comes from `scripts/build.sh release -DZINTRA_UPDATE_KEYS=...`,
# which refuses to configure without the update signing key.)
# writes OUT_DIR/zintra.exe and OUT_DIR/zintra-setup.exe. The certificate and
# key come from the environment:
#   ZINTRA_SIGN_CERT       PEM file: the code-signing certificate, then its chain
#   ZINTRA_SIGN_KEY        PEM file: its private key
#   ZINTRA_SIGN_KEY_PASS_FILE  optional: a file holding the key's password
#   ZINTRA_SIGN_TIMESTAMP  optional: URL of an RFC 3161 time-stamp server, so
#                          the signature outlives the certificate
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:?usage: sign_release.sh ZINTRA_EXE OUT_DIR}"
out="${2:?usage: sign_release.sh ZINTRA_EXE OUT_DIR}"
: "${ZINTRA_SIGN_CERT:?the code-signing certificate (PEM) in ZINTRA_SIGN_CERT}"
: "${ZINTRA_SIGN_KEY:?its private key (PEM) in ZINTRA_SIGN_KEY}"
mkdir -p "$out"

sign() {  # sign IN OUT
  local args=(sign -certs "$ZINTRA_SIGN_CERT" -key "$ZINTRA_SIGN_KEY" -h sha256 -n "Zintra" -in "$1" -out "$2")
  if [ -n "${ZINTRA_SIGN_KEY_PASS_FILE:-}" ]; then args+=(-readpass "$ZINTRA_SIGN_KEY_PASS_FILE"); fi
  if [ -n "${ZINTRA_SIGN_TIMESTAMP:-}" ]; then args+=(-ts "$ZINTRA_SIGN_TIMESTAMP"); fi
  rm -f "$2"
  osslsigncode "${args[@]}" >/dev/null
}

sign "$program" "$out/zintra.exe"
# The same command as installer/CMakeLists.txt, over the signed program.
makensis -V2 -DZINTRA_EXE="$out/zintra.exe" -DZINTRA_ICON="$here/res/images/logo.ico" \
  -DOUTFILE="$out/zintra-setup.unsigned.exe" "$here/installer/zintra.nsi"
sign "$out/zintra-setup.unsigned.exe" "$out/zintra-setup.exe"
rm -f "$out/zintra-setup.unsigned.exe"
echo "$out/zintra.exe"
echo "$out/zintra-setup.exe"
