#!/bin/sh
# Adds new interface texts to translations/quillmar_en.ts and drops the ones
# no longer used; then translate the entries marked unfinished.
set -e
cd "$(dirname "$0")/.."
cmake -DMODE=update -P translations/translations.cmake
