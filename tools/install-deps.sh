#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test Quillmar (as root).
set -e
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config ccache \
    qt6-base-dev qt6-svg-dev libqt6opengl6-dev libgl-dev libgl1-mesa-dri libqt6sql6-sqlite qt6-charts-dev \
    libmpv-dev libgtest-dev \
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libuchardet-dev libicu-dev \
    espeak-ng libespeak-ng-dev libfftw3-dev sox ffmpeg pocketsphinx-testdata festival festvox-kallpc16k \
    clang libclang-rt-14-dev clang-format-14 dpkg-dev \
    qt6-translations-l10n qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools \
    desktop-file-utils appstream \
    xvfb openbox libxcb1-dev \
    pulseaudio pulseaudio-utils \
    xdotool imagemagick \
    dbus-daemon opencc \
    fonts-noto-cjk >/dev/null
