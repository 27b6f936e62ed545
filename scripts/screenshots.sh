#!/usr/bin/env bash
# Takes the screenshots of the README under a virtual X server: the main
# window as it starts, and the folder chooser opened from its "..." button.
#   scripts/screenshots.sh [BUILD_DIR]    (default: build)
# Writes docs/main-window.png and docs/folder-chooser.png.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
program="$build/shell-bin/Updater_Quendal"
[ -x "$program" ] || { echo "screenshots: build first ($program is missing)" >&2; exit 1; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number, chosen by the server itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshots: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb

"$program" 2>"$work/program.log" &
pids+=($!)
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Updater_Quendal$' | head -n 1)
sleep 1  # let the window paint
import -window "$main" docs/main-window.png
echo "screenshots: docs/main-window.png"

# The chooser opened on an existing folder shows the way to it.
folder=/opt/NJX/Quendal
[ -d "$folder" ] || folder=/usr/share/doc
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$folder"
xdotool key Tab space
chooser=$(timeout 20 xdotool search --sync --onlyvisible --name 'Выбор папки' | head -n 1)
sleep 1
import -window "$chooser" docs/folder-chooser.png
echo "screenshots: docs/folder-chooser.png (opened on $folder)"
