#!/bin/sh
# Makes translations/quillmar_zh_TW.ts, the Traditional Chinese interface,
# from the Simplified source texts: lupdate collects them, OpenCC converts
# them with Taiwan's wording (s2twp), then translations/zh_TW-wording.txt
# puts right what was reviewed and found wanting. Run it after
# tools/update-translations.sh; needs opencc (Debian: opencc).
set -e
cd "$(dirname "$0")/.."
ts=translations/quillmar_zh_TW.ts
lupdate=$(command -v /usr/lib/qt6/bin/lupdate || command -v lupdate)
# The folders with interface texts, as translations/translations.cmake lists them.
folders=""
for folder in $(sed -n '/^set(text_folders/,/)/p' translations/translations.cmake |
    sed 's/set(text_folders//; s/)//'); do
    folders="$folders $PWD/$folder"
done
# shellcheck disable=SC2086
"$lupdate" -silent -locations none -no-obsolete -source-language zh_CN -target-language zh_TW \
    $folders -ts "$PWD/$ts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One text a line, line breaks inside a text kept as \n.
perl -0777 -ne 'while (/<source>(.*?)<\/source>/gs) { my $s = $1; $s =~ s/\n/\\n/g; print "$s\n"; }' \
    "$ts" > "$work/sources.txt"
opencc -c s2twp.json -i "$work/sources.txt" -o "$work/converted.txt"
perl -0777 -i -pe '
    BEGIN {
        local $/ = "\n";
        open(my $c, "<:raw", "'"$work"'/converted.txt") or die;
        @converted = map { chomp; s/\\n/\n/g; $_ } <$c>;
        open(my $w, "<:raw", "translations/zh_TW-wording.txt") or die;
        while (<$w>) {
            chomp;
            next if /^#/ || !/\t/;
            my ($from, $to) = split /\t/, $_, 2;
            push @wording, [$from, $to];
        }
    }
    s{(<source>.*?</source>\s*)<translation[^>]*>.*?</translation>}{
        my $head = $1;
        my $text = shift @converted;
        for my $pair (@wording) { my ($f, $t) = @$pair; $text =~ s/\Q$f\E/$t/g; }
        "$head<translation>$text</translation>"
    }gse;
    s{(<source>.*?</source>\s*)<translation[^>]*/>}{
        my $head = $1;
        my $text = shift @converted;
        "$head<translation>$text</translation>"
    }gse;
' "$ts"
echo "Updated $ts"
