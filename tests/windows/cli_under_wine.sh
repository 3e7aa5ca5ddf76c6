#!/usr/bin/env bash
# The Windows command-line tool under Wine, end to end: its .cry files are openssl's bytes and
# the reverse, file names beyond ASCII survive every step, a hidden file comes back, and (given a
# Linux build of the tool) pictures and .cry files pass between the two systems both ways.
#
#   bash cli_under_wine.sh WINDOWS_CLI SAMPLES_DIR [LINUX_CLI]
# LINUX_CLI may also come from the environment (VEILMARK_LINUX_CLI).
set -euo pipefail
win=$(realpath "$1")
samples=$(realpath "$2")
linux=${3:-${VEILMARK_LINUX_CLI:-}}
[ -z "$linux" ] || linux=$(realpath "$linux")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export WINEDEBUG=-all

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
wcli() { wine "$win" "$@" </dev/null; }
same() { cmp -s "$1" "$2"; }
openssl_enc() {  # openssl_enc -e|-d IN OUT
  openssl enc "$1" -aes-256-cbc -pbkdf2 -iter 8000 -md sha512 -nosalt -pass pass:quintus4072 \
    -in "$2" -out "$3"
}

printf 'quintus4072\n' >pw
# 1 MiB and a bit, so that more than one read and write block is involved.
head -c 1048609 /dev/urandom >plain.bin
cp plain.bin original.bin

# .cry files are openssl's construction, byte for byte, both ways.
wcli encrypt --password-file pw plain.bin >/dev/null 2>&1 || true
check "encrypt removes the plain file" test ! -e plain.bin
openssl_enc -e original.bin by-openssl.cry
check "encrypt writes openssl's bytes" same plain.bin.cry by-openssl.cry
mv by-openssl.cry theirs.bin.cry
wcli decrypt --password-file pw theirs.bin.cry >/dev/null 2>&1 || true
check "decrypt reads openssl's output" same theirs.bin original.bin

# A name beyond ASCII (Latin, Greek, CJK) through encrypt and decrypt.
name=$'r\xc3\xa9sum\xc3\xa9-\xce\xb1\xce\xb2-\xe6\x97\xa5\xe6\x9c\xac.txt'
printf 'plain text\r\n' >"$name"
wcli encrypt --password-file pw "$name" >/dev/null 2>&1 || true
check "a non-ASCII name gets its .cry file" test -f "$name.cry"
wcli decrypt --password-file pw "$name.cry" >/dev/null 2>&1 || true
check "and comes back under the same name" test "$(cat "$name" 2>/dev/null)" = $'plain text\r'

# An existing output is never replaced without --force.
printf 'keep me' >kept.txt
printf 'other' >kept.txt.cry
wcli encrypt --password-file pw kept.txt >/dev/null 2>&1 || true
check "encrypt leaves an existing .cry alone" test "$(cat kept.txt.cry)" = other
check "and keeps the plain file" test "$(cat kept.txt)" = "keep me"

# Hide a file under a non-ASCII name, scan the folder, extract it again.
mkdir pictures out
cp "$samples/mosaic.png" pictures/carrier.png
secret=$'secr\xc3\xa8te-\xe7\xa7\x98\xe5\xaf\x86.bin'
head -c 5000 /dev/urandom >"$secret"
wcli hide --password-file pw --file "$secret" pictures/carrier.png >/dev/null 2>&1 || true
check "hide writes the _steg picture" test -f pictures/carrier_steg.png
scan=$(wcli scan --password-file pw pictures 2>&1 | tr -d '\r' || true)
check "scan names what the picture hides" grep -qF "carrier_steg.png: hidden file: $secret" <<<"$scan"
check "scan lists the plain picture" grep -qF "carrier.png: plain" <<<"$scan"
wcli extract --password-file pw --to out pictures/carrier_steg.png >/dev/null 2>&1 || true
check "extract gives the file back under its name" same "out/$secret" "$secret"

if [ -n "$linux" ]; then
  # Windows hides, Linux extracts; Linux hides, Windows extracts.
  mkdir from-linux from-windows
  "$linux" extract --password-file pw --to from-windows pictures/carrier_steg.png >/dev/null 2>&1 ||
    true
  check "the Linux build extracts what Windows hid" same "from-windows/$secret" "$secret"
  cp "$samples/desert_dunes.bmp" linux-carrier.bmp
  "$linux" hide --password-file pw --file "$secret" linux-carrier.bmp >/dev/null 2>&1 || true
  wcli extract --password-file pw --to from-linux linux-carrier_steg.png >/dev/null 2>&1 || true
  check "Windows extracts what the Linux build hid" same "from-linux/$secret" "$secret"
  "$linux" decrypt --password-file pw plain.bin.cry >/dev/null 2>&1 || true
  check "the Linux build decrypts a Windows .cry file" same plain.bin original.bin
else
  echo "skipped: no Linux build given to exchange pictures and .cry files with"
fi

# The samples as the desktop shows them.
scan=$(wcli scan --password-file pw "$samples" 2>&1 | tr -d '\r' || true)
check "scan finds the hidden image of the samples" grep -q "green_hills_steg.png: hidden image" <<<"$scan"
check "scan finds the hidden message of the samples" \
  grep -q "sunset_beach_steg.png: hidden message" <<<"$scan"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
