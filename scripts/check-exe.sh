#!/usr/bin/env bash
# Checks that a built Varnex.exe is a proper Windows executable: GUI subsystem, only system
# DLLs imported, the embedded manifest, the version block with the project version, the
# application icon, and (32-bit build) the large-address-aware flag.
#
#   scripts/check-exe.sh [--max-kb N] EXE [VERSION]
#
# VERSION defaults to the version in the project() line of CMakeLists.txt. --max-kb fails
# the run when the file is larger than N KiB (meant for stripped Release builds).
# Prints one PASS/FAIL line per check and a closing "N passed, N failed" line; the exit
# status is 0 only when nothing failed. Needs the mingw-w64 binutils (objdump, windres).
set -uo pipefail

max_kb=""
if [ "${1:-}" = "--max-kb" ]; then
  max_kb=$2
  shift 2
fi
exe=${1:?usage: check-exe.sh [--max-kb N] EXE [VERSION]}
root=$(cd "$(dirname "$0")/.." && pwd)
version=${2:-$(sed -n 's/^project(Varnex VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")}

passed=0
failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1"; failed=$((failed + 1)); }
check() {  # check NAME COMMAND...: PASS when the command succeeds
  local name=$1
  shift
  if "$@" >/dev/null 2>&1; then pass "$name"; else fail "$name"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
  exit
}

if [ ! -f "$exe" ]; then
  fail "$exe exists"
  finish
fi

# The 64-bit binutils read both PE formats; the architecture picks the resource compiler.
format=$(x86_64-w64-mingw32-objdump -f "$exe" 2>/dev/null | sed -n 's/.*file format \(.*\)/\1/p')
case "$format" in
  pei-i386) prefix=i686-w64-mingw32 bits=32 ;;
  pei-x86-64) prefix=x86_64-w64-mingw32 bits=64 ;;
  *)
    fail "$exe is a PE executable (format: ${format:-unknown})"
    finish
    ;;
esac
pass "$exe is a $bits-bit PE executable"

headers=$("$prefix-objdump" -p "$exe")
resources=$("$prefix-windres" -i "$exe" -O rc 2>/dev/null)
has() { grep -qE -- "$2" <<<"$1"; }

check "GUI subsystem" has "$headers" '^Subsystem[[:space:]]+0+2[[:space:]]'
imports=$(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr '\n' ' ')
if grep -qiE '(^| )lib[^ ]*\.dll' <<<"$imports"; then
  fail "imports system DLLs only (imports: $imports)"
else
  pass "imports system DLLs only ($imports)"
fi
if [ "$bits" = 32 ]; then
  check "large address aware" has "$headers" '^[[:space:]]+large address aware'
fi

# Manifest: resource type 24, id 1 (the one the loader reads for an executable).
manifest=$(awk '/^1 24 /{on=1; next} on && /^END/{exit} on' <<<"$resources" |
  sed -n 's/^ *"\(.*\)"$/\1/p' | sed 's/""/"/g; s/\\n$//')
if [ -n "$manifest" ]; then pass "manifest resource 1"; else fail "manifest resource 1"; fi
check "manifest: common controls 6" has "$manifest" \
  'name="Microsoft.Windows.Common-Controls" version="6\.0\.0\.0"'
check "manifest: asInvoker" has "$manifest" 'requestedExecutionLevel level="asInvoker"'
os_count=$(grep -c '<supportedOS Id=' <<<"$manifest")
if [ "$os_count" -ge 5 ]; then pass "manifest: supported systems Vista to 10 ($os_count)"
else fail "manifest: supported systems Vista to 10 ($os_count found)"; fi
if command -v python3 >/dev/null; then
  check "manifest: well-formed XML" python3 -c \
    'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.read().encode())' \
    <<<"$manifest"
else
  echo "SKIP: manifest: well-formed XML (no python3)"
fi

# Version block.
IFS=. read -r major minor patch _ <<<"$version"
patch=${patch:-0}
check "version resource" has "$resources" '^1 VERSIONINFO'
check "FILEVERSION $major.$minor.$patch.0" has "$resources" \
  "^ FILEVERSION $major, $minor, $patch, 0\$"
check "PRODUCTVERSION $major.$minor.$patch.0" has "$resources" \
  "^ PRODUCTVERSION $major, $minor, $patch, 0\$"
check 'ProductName "Varnex"' has "$resources" 'VALUE "ProductName", "Varnex"$'
check "FileVersion \"$version\"" has "$resources" "VALUE \"FileVersion\", \"$version\"\$"
check "ProductVersion \"$version\"" has "$resources" "VALUE \"ProductVersion\", \"$version\"\$"
check 'OriginalFilename "Varnex.exe"' has "$resources" \
  'VALUE "OriginalFilename", "Varnex\.exe"$'
check "translation zh-CN, code page 936" has "$resources" 'VALUE "Translation", 0x804, 936'

# Icon: group 1, with 16- and 32-pixel images. An RT_ICON starts with its BITMAPINFOHEADER:
# size 0x28, then the width.
check "icon group 1" has "$resources" '^1 14 /\* RT_GROUP_ICON \*/'
widths=""
for w in $(awk '/ 3 \/\* RT_ICON \*\//{getline; getline; print}' <<<"$resources" |
  awk -F, '{ gsub(/[ L]/, "", $2); print $2 }'); do
  widths+="$((w)) "
done
for w in 16 32; do
  if grep -qw "$w" <<<"$widths"; then pass "icon ${w}x$w"; else fail "icon ${w}x$w (widths: $widths)"; fi
done

size=$(stat -c %s "$exe")
kb=$(((size + 1023) / 1024))
if [ "$("$prefix-objdump" -t "$exe" 2>/dev/null | grep -c '^\[')" != 0 ]; then
  stripped="not stripped"
else
  stripped="stripped"
fi
if [ -n "$max_kb" ]; then
  if [ "$kb" -le "$max_kb" ]; then pass "size $kb KiB <= $max_kb KiB ($stripped)"
  else fail "size $kb KiB <= $max_kb KiB ($stripped)"; fi
else
  echo "INFO: size $size bytes ($kb KiB, $stripped)"
fi

finish
