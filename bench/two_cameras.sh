#!/bin/sh
# CPU of two virtual cameras previewing at 15 fps, measured by /usr/bin/time.
# Usage: bench/two_cameras.sh [build dir] [two_cameras arguments...]
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
out=$(mktemp)
/usr/bin/time -v -o "$out" "$build/bin/two_cameras" "$@"
user=$(sed -n 's/^\tUser time (seconds): //p' "$out")
sys=$(sed -n 's/^\tSystem time (seconds): //p' "$out")
wall=$(sed -n 's/^\tElapsed (wall clock) time (h:mm:ss or m:ss): //p' "$out")
rss=$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$out")
rm -f "$out"
# m:ss.ss or h:mm:ss to seconds
secs=$(echo "$wall" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
echo "whole process (start-up included): user $user s + sys $sys s over $secs s wall" \
     "= $(echo "$user $sys $secs" | awk '{ printf "%.1f", ($1 + $2) / $3 * 100 }')% of one core," \
     "max RSS $rss kB"
