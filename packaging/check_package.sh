#!/bin/sh
# Builds the Debian package in the given build folder and checks its file
# list and its declared dependencies.
set -eu
cd "$1"
rm -f quillmar_*.deb
cpack -G DEB >/dev/null
deb=$(ls quillmar_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/quillmar \
            ./usr/share/applications/invalid.quillmar.Quillmar.desktop \
            ./usr/share/metainfo/invalid.quillmar.Quillmar.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/quillmar.svg \
            ./usr/share/icons/hicolor/16x16/apps/quillmar.png \
            ./usr/share/icons/hicolor/48x48/apps/quillmar.png \
            ./usr/share/icons/hicolor/256x256/apps/quillmar.png; do
    if ! printf '%s\n' "$contents" | grep -qx "$file"; then
        echo "missing from the package: $file"
        exit 1
    fi
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libmpv2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    if ! printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$package"; then
        echo "missing dependency $package in: $depends"
        exit 1
    fi
done
echo "package $deb, $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
