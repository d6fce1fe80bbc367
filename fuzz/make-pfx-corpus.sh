#!/usr/bin/env bash
# Writes the certificate fuzzer's corpus with OpenSSL: a small RSA key and
# certificate as a PFX (entry 00, also the PFX beside each companion), the
# same in the older 3DES form, and companion certificates as PEM and DER.
# Each entry starts with its role byte: 0 PFX, 1 PEM companion, 2 DER companion.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/fuzz/corpus/pfx"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out k.pem 2>/dev/null
openssl req -x509 -key k.pem -subj /CN=fuzz -days 3650 -out c.pem
openssl pkcs12 -export -inkey k.pem -in c.pem -out a.pfx -passout pass:
openssl pkcs12 -export -inkey k.pem -in c.pem -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1 \
    -out b.pfx -passout pass:
openssl req -x509 -key k.pem -subj /CN=companion -days 3650 -out companion.crt
openssl x509 -in companion.crt -outform DER -out companion.cer
rm -rf "$OUT"
mkdir -p "$OUT"
{ printf '\0'; cat a.pfx; } >"$OUT/00.bin"
{ printf '\0'; cat b.pfx; } >"$OUT/01.bin"
{ printf '\1'; cat companion.crt; } >"$OUT/02.bin"
{ printf '\2'; cat companion.cer; } >"$OUT/03.bin"
