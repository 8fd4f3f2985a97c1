#!/usr/bin/env bash
# Writes a screenshot of the main window in each skin and each language:
#   tools/screenshots.sh [program] [output folder]
# (defaults: build/bin/orvanta and build/screenshots). Each shot runs the
# program under its own virtual X server with two virtual cameras and a
# temporary home whose profile file chooses the skin (UIIndex) and the
# language (Language); files are named <skin>-<zh|en>.png.
# Needs xvfb-run, xwd (x11-apps) and convert (imagemagick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/bin/orvanta}
out=${2:-$root/build/screenshots}
settle=${ORVANTA_SCREENSHOT_WAIT:-6}

for tool in xvfb-run xwd convert; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
[ -x "$program" ] || { echo "screenshots: no program at $program (build it first)" >&2; exit 1; }
mkdir -p "$out"

skins=(chocolate blue mgreen green pink brown)
languages=(zh en)

shoot() { # skin-number language-number file
  local home
  home=$(mktemp -d)
  mkdir -p "$home/Documents/Orvanta" "$home/run"
  chmod 700 "$home/run"
  printf '[Orv twain driver param]\nUIIndex=%s\nLanguage=%s\n' "$1" "$2" \
    >"$home/Documents/Orvanta/orvconf.ini"
  # The program runs in the background of the server's session; after the
  # window has settled the root window is captured and the program ended.
  # Its own runtime folder: a program the user has open is left alone.
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/run ORVANTA_VIRTUAL_CAMERAS=2 \
    QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
      "$1" >/dev/null 2>&1 &
      pid=$!
      sleep "$2"
      xwd -root -silent | convert xwd:- -trim +repage "png:$3"
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true' shot "$program" "$settle" "$3"
  rm -rf "$home"
}

for i in "${!skins[@]}"; do
  for l in 0 1; do
    file="$out/${skins[$i]}-${languages[$l]}.png"
    shoot "$((i + 1))" "$l" "$file"
    echo "$file"
  done
done
