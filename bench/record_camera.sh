#!/bin/sh
# A 60 s recording with sound of a virtual camera at 1280x960, 15 fps:
# recorder drops, CPU and the file's duration against the wall time; the
# whole process measured by /usr/bin/time as well.
# Usage: bench/record_camera.sh [build dir] [record_camera arguments...]
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
out=$(mktemp)
/usr/bin/time -v -o "$out" "$build/bin/record_camera" "$@"
user=$(sed -n 's/^\tUser time (seconds): //p' "$out")
sys=$(sed -n 's/^\tSystem time (seconds): //p' "$out")
rss=$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$out")
rm -f "$out"
echo "whole process (start-up, preview and file check included): user $user s + sys $sys s," \
     "max RSS $rss kB"
