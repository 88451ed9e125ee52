#!/bin/sh
# Rebuilds documents.zip from documents of folder/: three at the top level, two in the
# sub-folder 2023/ (extracted when the archive is read, but not read themselves).
set -eu
cd "$(dirname "$0")"
out="$PWD/documents.zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/2023"
cp folder/pp-0001.xml folder/pp-0002.xml folder/PO-1006.xml "$stage/"
cp folder/pp-0011.xml folder/PO-1007.xml "$stage/2023/"
# Fixed times and no extra fields, so that the archive is the same byte for byte each time.
find "$stage" -exec touch -d 2024-03-11T09:00:00Z {} +
rm -f "$out"
cd "$stage"
TZ=UTC zip -q -X -r "$out" pp-0001.xml pp-0002.xml PO-1006.xml 2023
