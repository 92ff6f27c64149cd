#!/bin/sh
# Makes every screenshot of the README and the guide again, in Chinese and
# in English, from a built program (default build/quillmar).
set -eu
cd "$(dirname "$0")/.."
program=${1:-build/quillmar}
sh tools/screenshot.sh "$program" docs/screenshot.png zh_CN.UTF-8
sh tools/screenshot.sh "$program" docs/screenshot-en.png en_US.UTF-8
mkdir -p docs/guide/images
cp docs/screenshot.png docs/guide/images/main-zh_CN.png
cp docs/screenshot-en.png docs/guide/images/main-en.png
