#!/bin/sh
# Takes the screenshot of the main window shown in README.md and the guide: a
# short spoken lesson with its subtitles beside it is opened, its sentences
# are found, the sentence-by-sentence lesson loops the first one, a line with
# one wrong word is typed and applied, and the window is captured with the waveform strip, the
# sentence, the loop and the word feedback. Builds nothing; runs on a virtual
# display, so no desktop is needed.
#
#   sh tools/screenshot.sh [path/to/quillmar] [output.png] [locale]
#
# Defaults: build/quillmar, docs/screenshot.png and zh_CN.UTF-8 (the program
# follows the locale: en_US.UTF-8 shows the English interface).
# tools/make-screenshots.sh makes every screenshot of the README and the guide.
# Needs xvfb-run, xdotool, ImageMagick (import, convert), espeak-ng, sox and
# python3; on Debian 12:
# apt-get install -y xvfb xdotool imagemagick espeak-ng sox python3
set -eu

program=${1:-build/quillmar}
output=${2:-docs/screenshot.png}
locale=${3:-zh_CN.UTF-8}
width=1280
height=760

missing=
for tool in xvfb-run xdotool import convert espeak-ng sox soxi python3; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "screenshot.sh: missing:$missing" >&2
    echo "install with: apt-get install -y xvfb xdotool imagemagick espeak-ng sox python3" >&2
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

# The recording: four spoken sentences with pauses between them, and their
# subtitles in a file of the same name beside it.
mkdir -p "$work/听力练习"
set -- "Good morning, everybody." "Today we are going to talk about the weather." \
       "It was raining all night long." "Now the sun is shining again."
sox -q -n -r 22050 -c 1 -b 16 "$work/pause.wav" trim 0 0.9
pieces=
i=0
for sentence in "$@"; do
    i=$((i + 1))
    espeak-ng -v en-us -s 140 -w "$work/s$i.wav" "$sentence"
    sox -q "$work/s$i.wav" -r 22050 -c 1 -b 16 "$work/r$i.wav"
    pieces="$pieces $work/pause.wav $work/r$i.wav"
done
# shellcheck disable=SC2086 # the list of pieces is split on purpose
sox -q $pieces "$work/pause.wav" "$work/听力练习/lesson01.wav"
python3 - "$work" "$@" <<'PY' >"$work/听力练习/lesson01.srt"
import subprocess, sys
work, sentences = sys.argv[1], sys.argv[2:]
def length(path):
    return float(subprocess.check_output(["soxi", "-D", path]))
def stamp(t):
    ms = int(round(t * 1000))
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
pause = length(work + "/pause.wav")
t = 0.0
for i, text in enumerate(sentences, 1):
    t += pause
    end = t + length("%s/r%d.wav" % (work, i))
    print(i)
    print("%s --> %s" % (stamp(t - 0.2), stamp(end + 0.2)))
    print(text)
    print()
    t = end
PY

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
# The sentences are found, the lesson loops the first one, and a line with
# one wrong word is applied.
sleep 3.5
xdotool type --delay 40 "Good morning everyone"
xdotool key Return
sleep 1.5
import -window root "$work/root.png"
convert "$work/root.png" -crop "${width}x${height}+0+0" +repage "$target"
kill "$pid"
wait "$pid" 2>/dev/null || true
EOF

xvfb-run -a -s "-screen 0 1400x900x24" sh "$work/capture.sh" "$work" "$target" "$width" "$height" "$locale"
echo "screenshot.sh: wrote $output"
