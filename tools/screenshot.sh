#!/bin/sh
# Takes the screenshot of the main window shown in README.md: a 30-second
# tone is opened, a loop region is marked with F2 and F3, and the window is
# captured. Builds nothing; runs on a virtual display, so no desktop is needed.
#
#   sh tools/screenshot.sh [path/to/quillmar] [output.png] [locale]
#
# Defaults: build/quillmar, docs/screenshot.png and zh_CN.UTF-8 (the program
# follows the locale: en_US.UTF-8 shows the English interface).
# Needs xvfb-run, xdotool, ImageMagick (import, convert) and python3; on
# Debian 12: apt-get install -y xvfb xdotool imagemagick python3
set -eu

program=${1:-build/quillmar}
output=${2:-docs/screenshot.png}
locale=${3:-zh_CN.UTF-8}
width=1000
height=700

missing=
for tool in xvfb-run xdotool import convert python3; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "screenshot.sh: missing:$missing" >&2
    echo "install with: apt-get install -y xvfb xdotool imagemagick python3" >&2
    exit 1
fi
if [ ! -x "$program" ]; then
    echo "screenshot.sh: no program at $program (build it first)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmar.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A copy of the program in the scratch folder keeps its settings file (and
# the recent-files list) there rather than beside the real build.
cp "$program" "$work/quillmar"
mkdir -p "$(dirname "$output")"
case $output in
    /*) target=$output ;;
    *) target=$(pwd)/$output ;;
esac

# The recording: 30 s of a 440 Hz tone that swells once a second, 16-bit mono.
mkdir -p "$work/听力练习"
python3 - "$work/听力练习/lesson01.wav" <<'EOF'
import math, struct, sys, wave
rate = 22050
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    frames = bytearray()
    for i in range(30 * rate):
        t = i / rate
        level = 0.2 + 0.2 * math.sin(2 * math.pi * t)
        frames += struct.pack("<h", int(32767 * level * math.sin(2 * math.pi * 440 * t)))
    out.writeframes(bytes(frames))
EOF

# Everything below runs inside the virtual display.
cat >"$work/capture.sh" <<'EOF'
set -eu
work=$1 target=$2 width=$3 height=$4 locale=$5
cd "$work"
HOME=$work XDG_CONFIG_HOME=$work/config LANGUAGE= LC_ALL=$locale LANG=$locale ./quillmar "$work/听力练习/lesson01.wav" >"$work/program.log" 2>&1 &
pid=$!
window=
tries=0
while [ -z "$window" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "screenshot.sh: the main window did not appear" >&2
        cat "$work/program.log" >&2
        exit 1
    fi
    sleep 0.2
    window=$(xdotool search --onlyvisible --name Quillmar 2>/dev/null | head -n 1) || true
done
# There is no window manager: place and size the window ourselves.
xdotool windowmove "$window" 0 0
xdotool windowsize --sync "$window" "$width" "$height"
xdotool windowfocus --sync "$window"
sleep 1
xdotool key F2
sleep 1.5
xdotool key F3
sleep 1
import -window root "$work/root.png"
convert "$work/root.png" -crop "${width}x${height}+0+0" +repage "$target"
kill "$pid"
wait "$pid" 2>/dev/null || true
EOF

xvfb-run -a -s "-screen 0 1280x800x24" sh "$work/capture.sh" "$work" "$target" "$width" "$height" "$locale"
echo "screenshot.sh: wrote $output"
