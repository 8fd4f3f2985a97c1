#!/usr/bin/env bash
# A 20-page PDF from 20 JPEG files (2592x1944, quality 75): our PDF writer
# against img2pdf, both embedding the JPEG bytes unchanged. Prints the best
# of 5 runs of each, in process (img2pdf.convert timed inside Python) and as
# a command (start-up included), and checks that every page of both files
# holds its JPEG byte for byte.
# Usage: bench/pdf_from_jpegs.sh [build-dir]   (default: build)
set -euo pipefail
build=${1:-build}
tool="$build/bin/pdf_from_jpegs"
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" make "$work"
files=("$work"/page*.jpg)
echo "20 JPEG files, $(du -ch "${files[@]}" | tail -1 | cut -f1) in all"

best() { sort -n | head -1; }

ours_in=$(for _ in 1 2 3 4 5; do "$tool" build "$work/ours.pdf" "${files[@]}"; done | best)
img_in=$(for _ in 1 2 3 4 5; do
  "$python" - "$work/img2pdf.pdf" "${files[@]}" <<'PY'
import sys, time, img2pdf
start = time.perf_counter()
data = img2pdf.convert(sys.argv[2:])
with open(sys.argv[1], "wb") as f:
    f.write(data)
print("%.2f" % ((time.perf_counter() - start) * 1000))
PY
done | best)

wall() { local s e; s=$(date +%s%N); "$@" >/dev/null; e=$(date +%s%N); echo $(((e - s) / 1000000)); }
ours_cmd=$(for _ in 1 2 3 4 5; do wall "$tool" build "$work/ours.pdf" "${files[@]}"; done | best)
img_cmd=$(for _ in 1 2 3 4 5; do wall "$python" -m img2pdf -o "$work/img2pdf.pdf" "${files[@]}"; done | best)

printf '%-10s %14s %14s %10s\n' "" "in process" "as a command" "size"
printf '%-10s %11s ms %11s ms %10s\n' ours "$ours_in" "$ours_cmd" "$(stat -c %s "$work/ours.pdf")"
printf '%-10s %11s ms %11s ms %10s\n' img2pdf "$img_in" "$img_cmd" "$(stat -c %s "$work/img2pdf.pdf")"

"$tool" same "$work/ours.pdf" "${files[@]}" && echo "ours: every page is its JPEG file byte for byte"
"$tool" same "$work/img2pdf.pdf" "${files[@]}" && echo "img2pdf: every page is its JPEG file byte for byte"
qpdf --check "$work/ours.pdf" >/dev/null && echo "ours: qpdf --check passes"
