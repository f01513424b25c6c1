#!/bin/sh
# brenvo-tag as a user runs it: reading, JSON, writing, and failures.
# usage: cli_test.sh BRENVO_TAG DATA_DIR
set -u
tool=$1 data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
check() { if eval "$2"; then :; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

cp "$data/aac/sine.aac" "$work/a.aac"

"$tool" --help > "$work/help" 2>&1
check "--help exits 0 and documents -T" "grep -q -- '-T TRACK' '$work/help'"

"$tool" "$work/a.aac" > "$work/out" 2> "$work/err"
check "reading exits 0" "[ \$? -eq 0 ]"
check "text output has the tag block" "grep -q -- '-- TAG (basic) --' '$work/out'"

"$tool" --json "$work/a.aac" > "$work/json"
check "one JSON line per file" "[ \$(wc -l < '$work/json') -eq 1 ]"
check "JSON names the library's format by its short name" "grep -q '\"format\":\"AAC\"' '$work/json'"

# Zeros under .mp3 are a file TagLib opens with its own MPEG class.
head -c 2000 /dev/zero > "$work/z.mp3"
"$tool" --json "$work/z.mp3" > "$work/json"
check "JSON names TagLib's own format by its namespace" "grep -q '\"format\":\"MPEG\"' '$work/json'"

"$tool" --json "$data/m4a/aac-mono-22k.m4a" > "$work/json"
check "MP4 disc and tempo are JSON numbers" "grep -q '\"disc\":2,\"bpm\":120' '$work/json'"
check "MP4 cover is its size and MIME type" "grep -q '\"cover\":{\"size\":96,\"mime\":\"image/png\"}' '$work/json'"

cp "$data/trueaudio/mono16-id3v2.tta" "$work/t.tta"
"$tool" -s CONDUCTOR=Someone -s CONDUCTOR=Other -r COMMENT --picture "$data/m4a/cover.png" "$work/t.tta"
check "setting properties and a picture exits 0" "[ \$? -eq 0 ]"
"$tool" --json "$work/t.tta" > "$work/json"
check "JSON gives the exact length" "grep -q '\"lengthMs\":1900' '$work/json'"
check "a property set twice holds both values" "grep -q '\"CONDUCTOR\":\\[\"Someone\",\"Other\"\\]' '$work/json'"
check "a removed property is gone, the others stay" "! grep -q COMMENT '$work/json' && grep -q '\"ALBUM\":\\[\"Samples\"\\]' '$work/json'"
check "the picture reads back as the front cover" "grep -q '\"pictures\":\\[{\"type\":3,\"mime\":\"image/png\",\"description\":\"\",\"size\":96}\\]' '$work/json'"
cp "$data/rmff/ac3.rm" "$work/r.rm"
"$tool" -s TITLE=x "$work/r.rm" 2> "$work/err"
check "a read-only format cannot be set" "[ \$? -eq 1 ] && grep -q '^brenvo-tag: ' '$work/err'"

"$tool" --extensions > "$work/ext"
status=$?
check "--extensions exits 0" "[ $status -eq 0 ]"
check "--extensions lists lower-case extensions with the dot" "grep -qx '.m4a' '$work/ext' && grep -qx '.wav' '$work/ext' && ! grep -qvx '\.[a-z0-9]*' '$work/ext'"

"$tool" -t 'Tïtle "quoted"' -T 7 -y 2001 "$work/a.aac"
check "writing exits 0" "[ \$? -eq 0 ]"
"$tool" --json "$work/a.aac" > "$work/json2"
check "written title reads back with JSON escaping" "grep -q '\"title\":\"Tïtle \\\\\"quoted\\\\\"\"' '$work/json2'"
check "written track and year read back" "grep -q '\"year\":2001,\"track\":7' '$work/json2'"

"$tool" "$work/missing.m4a" "$work/a.aac" > "$work/out" 2> "$work/err"
status=$?
check "a missing file gives exit status 1" "[ $status -eq 1 ]"
check "the failure is reported as brenvo-tag: FILE: reason" "grep -q '^brenvo-tag: $work/missing.m4a: ' '$work/err'"
check "the other files are still processed" "grep -q 'a.aac' '$work/out'"

# Numbers must be whole and in range; anything else is a usage error, named on stderr.
while read -r args; do
  # shellcheck disable=SC2086
  "$tool" $args "$work/a.aac" > /dev/null 2> "$work/err"
  status=$?
  check "'$args' is a usage error" "[ $status -eq 2 ] && grep -q '^brenvo-tag: ' '$work/err'"
done <<EOF
-y notanumber
-y 12abc
-T -1
-T 4294967296
-y +3
-s NOEQUALS
-s =value
scan -j 4x
scan -j 0
scan -j 257
EOF

mkdir -p "$work/tree/sub"
cp "$data/aac/sine.aac" "$work/tree/sub/b.aac"
head -c 3000 /dev/urandom > "$work/tree/bad.flac"
echo "not audio" > "$work/tree/notes.txt"
"$tool" scan -j 2 "$work/tree" > "$work/scan" 2> "$work/scanerr"
status=$?
check "scan exits 0 even when files fail" "[ $status -eq 0 ]"
check "scan writes one JSON line per readable file" "[ \$(wc -l < '$work/scan') -eq 1 ]"
check "scan skips files of unknown extensions" "! grep -q notes.txt '$work/scan' '$work/scanerr'"
check "scan reports each failure" "grep -q '^brenvo-tag: $work/tree/bad.flac: ' '$work/scanerr'"
check "scan closes with a summary per format" "grep -q '^  AAC  *1 files' '$work/scanerr' && grep -q 'scanned 2 files' '$work/scanerr'"

echo "$fails failed"
[ "$fails" -eq 0 ]
