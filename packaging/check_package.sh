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
            ./usr/share/applications/invalid.quillmar.Quillmar.desktop \
            ./usr/share/metainfo/invalid.quillmar.Quillmar.metainfo.xml \
            ./usr/share/quillmar/guide/index.html \
            ./usr/share/icons/hicolor/scalable/apps/quillmar.svg \
            ./usr/share/icons/hicolor/16x16/apps/quillmar.png \
            ./usr/share/icons/hicolor/48x48/apps/quillmar.png \
            ./usr/share/icons/hicolor/256x256/apps/quillmar.png; do
    if ! printf '%s\n' "$contents" | grep -qx "$file"; then
        echo "missing from the package: $file"
        exit 1
    fi
done

# has_package <field> <package>: the control field names the package, alone or
# as one of alternatives.
has_package() {
    dpkg-deb -f "$deb" "$1" | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' | grep -qx "$2"
}
for package in libc6 libstdc++6 libmpv2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    if ! has_package Depends "$package"; then
        echo "missing dependency $package in: $(dpkg-deb -f "$deb" Depends)"
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
report=$(desktop-file-validate "$unpacked/usr/share/applications/invalid.quillmar.Quillmar.desktop" 2>&1) || true
if [ -n "$report" ]; then
    printf 'desktop entry:\n%s\n' "$report"
    exit 1
fi
if ! report=$(appstreamcli validate --no-net "$unpacked/usr/share/metainfo/invalid.quillmar.Quillmar.metainfo.xml" 2>&1); then
    printf 'AppStream metadata:\n%s\n' "$report"
    exit 1
fi

echo "package $deb, $(stat -c %s "$deb") bytes"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
