#!/bin/sh
# Builds the Debian package in the given build folder, once, and checks its
# file list, its declared dependencies and the desktop entry and AppStream
# metadata it installs.
set -eu
cd "$1"
rm -f quillmar_*.deb
cpack -G DEB >/dev/null
deb=$(ls quillmar_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/quillmar \
            ./usr/share/applications/io.github.quillmar.Quillmar.desktop \
            ./usr/share/metainfo/io.github.quillmar.Quillmar.metainfo.xml \
            ./usr/share/quillmar/guide/zh_CN/index.html \
            ./usr/share/quillmar/guide/en/index.html \
            ./usr/share/quillmar/guide/images/main-en.png \
            ./usr/share/icons/hicolor/scalable/apps/quillmar.svg \
            ./usr/share/icons/hicolor/16x16/apps/quillmar.png \
            ./usr/share/icons/hicolor/48x48/apps/quillmar.png \
            ./usr/share/icons/hicolor/256x256/apps/quillmar.png; do
    if ! printf '%s\n' "$contents" | grep -qx "$file"; then
        echo "missing from the package: $file"
        exit 1
    fi
done

# The decoder module, in <libdir>/quillmar (lib/quillmar or a multiarch libdir).
decoder=$(printf '%s\n' "$contents" | grep -x '\./usr/lib/\(.*/\)\{0,1\}quillmar/libquillmar_decoder\.so' || true)
if [ -z "$decoder" ]; then
    echo "missing from the package: the decoder module libquillmar_decoder.so"
    exit 1
fi

# has_package <field> <package>: the control field names the package, alone or
# as one of alternatives.
has_package() {
    dpkg-deb -f "$deb" "$1" | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' | grep -qx "$2"
}
for package in libc6 libstdc++6 libmpv2 libespeak-ng1 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    if ! has_package Depends "$package"; then
        echo "missing dependency $package in: $(dpkg-deb -f "$deb" Depends)"
        exit 1
    fi
done
# FFmpeg, which the decoder module links: the package names carry the
# library's major version.
for library in libavformat libavcodec libswresample libavutil; do
    if ! dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' | grep -qx "$library[0-9]*"; then
        echo "missing dependency on $library in: $(dpkg-deb -f "$deb" Depends)"
        exit 1
    fi
done
for package in fonts-noto-cjk qt6-translations-l10n; do
    if ! has_package Recommends "$package"; then
        echo "missing recommendation $package in: $(dpkg-deb -f "$deb" Recommends)"
        exit 1
    fi
done

# The files as installed, from the package itself. desktop-file-validate exits
# with 0 on hints (such as two main categories), so any output fails.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
report=$(desktop-file-validate "$unpacked/usr/share/applications/io.github.quillmar.Quillmar.desktop" 2>&1) || true
if [ -n "$report" ]; then
    printf 'desktop entry:\n%s\n' "$report"
    exit 1
fi
if ! report=$(appstreamcli validate --no-net "$unpacked/usr/share/metainfo/io.github.quillmar.Quillmar.metainfo.xml" 2>&1); then
    printf 'AppStream metadata:\n%s\n' "$report"
    exit 1
fi

# The program loads libmpv, FFmpeg and the speech synthesizer itself, after
# its window shows: none may be linked into it.
if readelf -d "$unpacked/usr/bin/quillmar" | grep NEEDED | grep -q 'libav\|libmpv\|libsw\|libespeak'; then
    echo "the program links libmpv, FFmpeg or libespeak-ng:"
    readelf -d "$unpacked/usr/bin/quillmar" | grep NEEDED
    exit 1
fi
# The installed program finds the installed decoder module (not the one in
# the build folder, which it would also find).
sox -q -n -r 8000 -b 16 "$unpacked/tone.wav" synth 0.5 sine 440
loaded=$(LD_DEBUG=files "$unpacked/usr/bin/quillmar" --print-sentences "$unpacked/tone.wav" 2>&1 >/dev/null \
         | sed -n 's/.*calling init: \(.*libquillmar_decoder\.so\).*/\1/p')
if [ "$loaded" != "$unpacked${decoder#.}" ]; then
    echo "the installed program loads the decoder module from: ${loaded:-nowhere}"
    exit 1
fi

echo "package $deb, $(stat -c %s "$deb") bytes"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
