#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one test program under Wine. QTest writes its
# report to a file, printed afterwards, because Wine hands a program's debug output to its
# own log rather than to the pipe CTest reads. The program's exit status is the test's.
#
# WINEPREFIX and, for speed, a running `wineserver -p` come from scripts/test-windows.sh.
set -uo pipefail
program=$1
shift
report=$(mktemp --suffix=.txt)
trap 'rm -f "$report"' EXIT
# Wine reaches the Linux file system through drive Z:.
"${WINE:-wine}" "$program" "$@" -o "Z:${report//\//\\},txt"
status=$?
cat "$report"
exit "$status"
