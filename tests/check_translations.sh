#!/usr/bin/env bash
# Every translation, translations/patchery_*.ts, is complete (no message unfinished or empty)
# and up to date: lupdate run over the source into a copy changes nothing, so no marked text is
# missing from it and none it holds has gone from the source.
# Usage: check_translations.sh SOURCE_DIR LUPDATE
set -euo pipefail
src=$1 lupdate=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$src"/translations/patchery_*.ts; do
    name=$(basename "$ts")
    if grep -n -e 'type="unfinished"' -e '<translation></translation>' -e '<translation/>' "$ts"; then
        echo "$name: the messages above are not translated" >&2
        status=1
    fi
    cp "$ts" "$work/$name"
    # The options of update_translations in CMakeLists.txt.
    (cd "$src" && "$lupdate" -silent -no-obsolete -locations none app toolkit document \
        -ts "$work/$name")
    if ! diff -u "$ts" "$work/$name" >&2; then
        echo "$name is not up to date with the source: build the target update_translations" \
            "and translate what it adds" >&2
        status=1
    fi
done
exit "$status"
