#!/usr/bin/env bash
# The installer under Wine: a per-user install without questions puts the programs, the Samples
# and a Start-menu entry in place and registers its uninstaller; uninstalling removes exactly
# that and keeps what the user added.
#
#   bash installer_under_wine.sh SETUP_EXE        (exit 77: no installer built yet)
set -euo pipefail
setup=$1
[ -f "$setup" ] || { echo "no installer at $setup: run scripts/build-windows"; exit 77; }
export WINEDEBUG=-all
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilmark'
unix() { winepath -u "$1" 2>/dev/null; }

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

wine "$setup" /S /CurrentUser
location=$(wine reg query "$key" /v InstallLocation 2>/dev/null | tr -d '\r' |
  sed -n 's/.*InstallLocation *REG_SZ *//p')
check "the uninstaller is registered for this user" test -n "$location"
dir=$(unix "$location")
check "the programs are installed" test -f "$dir/veilmark.exe" -a -f "$dir/veilmark-cli.exe"
check "the Samples are installed" test -f "$dir/Samples/sunset_beach_steg.png"
menu=$(unix "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
check "the Start menu has an entry" test -f "$menu/Veilmark.lnk"
check "the installed tool runs" bash -c "wine '$dir/veilmark-cli.exe' --help </dev/null | grep -q Usage"

printf 'mine' >"$dir/Samples/mine.png"
wine "$dir/Uninstall.exe" /S /CurrentUser
# The uninstaller runs from a copy of itself and returns at once.
for _ in $(seq 60); do [ -f "$dir/veilmark.exe" ] || break; sleep 0.5; done
check "uninstalling removes the programs" test ! -e "$dir/veilmark.exe" -a ! -e "$dir/Uninstall.exe"
check "and the Start-menu entry" test ! -e "$menu/Veilmark.lnk"
check "but keeps what the user added" test "$(cat "$dir/Samples/mine.png" 2>/dev/null)" = mine
check "and unregisters itself" bash -c "! wine reg query '$key' >/dev/null 2>&1"
rm -rf "$dir"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
