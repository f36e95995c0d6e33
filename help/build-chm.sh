#!/bin/sh
# Compiles the help into OUTPUT.chm: copies the pages to a work folder, turns the table of
# contents into Shift_JIS (HTML Help reads it in the help file's code page, 932 for
# Japanese) and runs chmcmd.
#   help/build-chm.sh WORK_DIR OUTPUT.chm
set -eu
src=$(cd "$(dirname "$0")" && pwd)
work=$1
out=$2
rm -rf "$work"
mkdir -p "$work"
cp "$src"/*.html "$src"/*.css "$work"/
iconv -f UTF-8 -t CP932 "$src/toc.hhc" >"$work/toc.hhc"
iconv -f UTF-8 -t CP932 "$src/Orsetta.hhp" >"$work/Orsetta.hhp"
(cd "$work" && chmcmd --no-html-scan Orsetta.hhp >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
cp "$work/Orsetta.chm" "$out"
