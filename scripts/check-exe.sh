#!/usr/bin/env bash
# Checks that a built Varnex.exe is a proper Windows executable: GUI subsystem, only system
# DLLs imported (and only those whose load-time chains stay in the system folder), the
# hardening flags (ASLR with its relocations, DEP, 64-bit ASLR on x86_64), the embedded manifest, the version block with the project version, the
# application icon, and (32-bit build) the large-address-aware flag and what Windows XP SP3
# needs to start it: a subsystem version up to 5.1 and only imports that XP SP3 has.
#
#   scripts/check-exe.sh [--max-kb N] EXE [VERSION]
#
# VERSION defaults to the version in the project() line of CMakeLists.txt. The run fails when
# the file is larger than N KiB, 160 unless --max-kb says otherwise (meant for stripped
# Release builds: docs/performance.md).
# Prints one PASS/FAIL line per check and a closing "N passed, N failed" line; the exit
# status is 0 only when nothing failed. Needs the mingw-w64 binutils (objdump, windres).
set -uo pipefail

max_kb=160
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
# DLLs imported at load time are searched before any code of the program runs, on XP in the
# exe's folder first; these are the ones whose chains of imports stay among the system's own
# DLLs (KnownDLLs, and comctl32 6 from WinSxS). Anything else is loaded at run time from the
# system folder (shell32 for ShellExecuteA, psapi, shcore).
load_time_dlls='advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll user32.dll'
others=$(for d in $(tr 'A-Z' 'a-z' <<<"$imports"); do
  grep -qw -- "$d" <<<"$load_time_dlls" || printf '%s ' "$d"
done)
if [ -z "$others" ]; then pass "load-time DLLs: $load_time_dlls at most"
else fail "load-time DLLs: $load_time_dlls at most (also: $others)"; fi
# Hardening that the linker gives today; a later link change must not drop it.
flags="DYNAMIC_BASE NX_COMPAT"
[ "$bits" = 64 ] && flags+=" HIGH_ENTROPY_VA"
for flag in $flags; do
  check "DllCharacteristics: $flag" has "$headers" "^[[:space:]]+$flag\$"
done
check "relocations kept (ASLR can move the image)" has "$("$prefix-objdump" -h "$exe")" ' \.reloc '

# What the 32-bit Varnex.exe may import, by DLL: functions that the system DLLs of Windows XP
# SP3 export, kept to the ones the program imports today. Add a function only once it is known
# to exist on XP SP3; a newer one is looked up at run time instead (GetProcAddress), with a
# fallback. Without these, XP refuses to start the program ("entry point not found").
# LoadLibraryA is the C runtime start-up's (crtbegin.o): it only pins libgcc's DLL when
# GetModuleHandleA finds it already loaded. The program loads DLLs by full path only.
xp_imports='
advapi32.dll AdjustTokenPrivileges LookupPrivilegeValueA OpenProcessToken
comctl32.dll ImageList_Add ImageList_Create ImageList_Destroy ImageList_GetIconSize
comctl32.dll ImageList_GetImageCount ImageList_Remove ImageList_ReplaceIcon InitCommonControlsEx
gdi32.dll CreateFontIndirectW DeleteObject EnumFontFamiliesExW GetDeviceCaps GetGlyphIndicesW
gdi32.dll GetStockObject GetTextMetricsW SelectObject SetBkColor SetDIBitsToDevice SetTextColor
kernel32.dll CloseHandle CreateEventW CreateSemaphoreW CreateThread DeleteCriticalSection
kernel32.dll EnterCriticalSection FreeLibrary GetCurrentProcess
kernel32.dll GetCurrentThreadId GetLastError GetLocaleInfoW GetModuleHandleA GetModuleHandleW
kernel32.dll GetProcAddress GetStartupInfoA GetSystemDirectoryW GetTickCount GlobalMemoryStatus
kernel32.dll GlobalMemoryStatusEx
kernel32.dll InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection LoadLibraryA
kernel32.dll LoadLibraryExW MulDiv MultiByteToWideChar OpenProcess ReleaseSemaphore ResumeThread
kernel32.dll SetEvent SetLastError SetUnhandledExceptionFilter Sleep TerminateProcess TlsAlloc
kernel32.dll TlsFree TlsGetValue TlsSetValue VirtualProtect VirtualQuery WaitForSingleObject
kernel32.dll WideCharToMultiByte
msvcrt.dll __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode
msvcrt.dll __set_app_type __setusermatherr _amsg_exit _cexit _errno _initterm _iob
msvcrt.dll _onexit abort atoi calloc exit fprintf fputwc free fwprintf fwrite localeconv
msvcrt.dll malloc memcmp memcpy memmove memset realloc setlocale signal strchr strcmp
msvcrt.dll strerror strlen strncmp vfprintf wcslen wcsncpy
ntdll.dll NtQuerySystemInformation
user32.dll AppendMenuW BeginPaint CallWindowProcW CheckMenuItem CreateMenu CreatePopupMenu
user32.dll CreateWindowExW DefWindowProcW DestroyMenu DestroyWindow DispatchMessageW DrawEdge
user32.dll DrawMenuBar EndPaint EnumWindows FillRect GetAncestor GetClassInfoExW GetClassLongA
user32.dll GetClassLongW GetClassNameA GetClientRect GetDC GetFocus GetMenu GetMenuState
user32.dll GetMessageW GetParent GetSysColor GetSysColorBrush GetSystemMetrics GetWindowLongA
user32.dll GetWindowLongW GetWindowRect GetWindowTextA GetWindowTextLengthW GetWindowTextW
user32.dll GetWindowThreadProcessId InvalidateRect IsChild IsDialogMessageW IsWindow KillTimer
user32.dll LoadCursorW LoadIconW LoadImageW MapVirtualKeyA MapWindowPoints MessageBoxW
user32.dll PostQuitMessage RedrawWindow RegisterClassExW ReleaseDC SendMessageTimeoutW
user32.dll SendMessageW SetForegroundWindow SetMenu SetTimer SetWindowLongW SetWindowPos
user32.dll ShowWindow SystemParametersInfoW TranslateMessage UpdateWindow keybd_event
user32.dll GetKeyState GetWindow IsWindowEnabled IsWindowVisible SetFocus
user32.dll CopyImage DestroyIcon GetIconInfo IsIconic NotifyWinEvent
'
if [ "$bits" = 32 ]; then
  read -r major minor < <(awk '/^MajorSubsystemVersion/{a=$2} /^MinorSubsystemVersion/{b=$2}
    END{print a + 0, b + 0}' <<<"$headers")
  if [ "$major" -lt 5 ] || { [ "$major" = 5 ] && [ "$minor" -le 1 ]; }; then
    pass "subsystem version $major.$minor (Windows XP: 5.1 at most)"
  else
    fail "subsystem version $major.$minor (Windows XP: 5.1 at most)"
  fi
  # dll!function of every import; an import by ordinal reads dll!#N.
  used=$(awk '/^The Import Tables/{on=1; next} on && /^[^ \t]/{on=0}
    on && /DLL Name:/{dll=tolower($3); next}
    on && dll && /^\t[0-9a-f]+\t/{print dll "!" ($NF == "<none>" ? "#" $(NF-1) : $NF)}' \
    <<<"$headers" | sort -u)
  allowed=$(awk 'NF{for (i = 2; i <= NF; i++) print $1 "!" $i}' <<<"$xp_imports" | sort -u)
  outside=$(comm -23 <(echo "$used") <(echo "$allowed") | tr '\n' ' ')
  count=$(grep -c . <<<"$used")
  if [ -z "$outside" ] && [ "$count" -gt 0 ]; then
    pass "imports exist on Windows XP SP3 ($count functions)"
  else
    fail "imports exist on Windows XP SP3 ($count functions; not allowed: ${outside:-none read})"
  fi
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
if [ "$("$prefix-objdump" -t "$exe" 2>/dev/null | grep -c '^\[')" != 0 ]; then
  stripped="not stripped"
else
  stripped="stripped"
fi
if [ "$size" -le $((max_kb * 1024)) ]; then pass "size $size bytes <= $max_kb KiB ($stripped)"
else fail "size $size bytes <= $max_kb KiB ($stripped)"; fi

finish
