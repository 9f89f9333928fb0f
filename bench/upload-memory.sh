#!/usr/bin/env bash
# Resident memory of a large upload through the stand-alone server: builds bench/UploadServer.cpp (Release, in
# build-bench/), starts it with a body limit above the upload, opens a session with curl the way a browser does,
# posts one file of SIZE_MB MiB to the session's upload path as the uploader's script does, and prints the server's
# resident set size before, its peak during the upload, whether the saved copy matches, and the files left in the
# server's cache folder (its temporary files live there). A benchmark, not a test: CI does not run it.
#   bench/upload-memory.sh
#   SIZE_MB=1024 bench/upload-memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."

SIZE_MB="${SIZE_MB:-200}"

source bench/bench-server.sh
start_bench_server $((SIZE_MB + 16))

# The session: start, start check, the start post, the main form.
jar="$work/cookies"
agent="Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36"
c() { curl -sS -o /dev/null -A "$agent" -b "$jar" -c "$jar" "$@"; }
c "${url}"
c "${url}\$/StartCheck?KX_width=1024&KX_height=768"
cookie="$(awk '$6 ~ /^KX_/ {print $7}' "$jar" | tail -1)"
id="${cookie%%_*}"
c -X POST --data "KX_width=1024&KX_height=768&KX_SessionID_=${id}&KX_TrackID_=1" "${url}"
c "${url}\$/"
cookie="$(awk '$6 ~ /^KX_/ {print $7}' "$jar" | tail -1)"
track="${cookie##*_}"

head -c $((SIZE_MB * 1024 * 1024)) /dev/urandom >"$work/big.bin"
reset_peak
before="$(rss_kb)"
answer="$(curl -sS -A "$agent" -b "$jar" -c "$jar" -H "X-KXFileUploader: true" -H "X-KXFieldName: UP1" \
  -F "KX_ActionParam=UP1" -F "KXFileUploader=true" -F "UP1=" -F "KX_SessionID_=${id}" \
  -F "UP1=@$work/big.bin;filename=../../big.bin" "${url}\$/upload/$((36#$track))")"
peak="$(hwm_kb)"
after="$(rss_kb)"

echo "upload of ${SIZE_MB} MiB: answer ${answer}"
echo "resident set before: $((before / 1024)) MiB, peak during the upload: $((peak / 1024)) MiB (+$(((peak - before) / 1024)) MiB), after: $((after / 1024)) MiB"
if cmp -s "$work/big.bin" "$UPLOAD_BENCH_DIR/saved/big.bin"; then echo "saved copy: identical"; else echo "saved copy: MISSING OR DIFFERENT"; fi
# The cache folder's own marker (.kx-process) is no upload's.
left="$(find "$UPLOAD_BENCH_DIR/cache" -type f ! -name .kx-process | wc -l)"
echo "temporary files left in the server's cache folder: ${left}"
find "$UPLOAD_BENCH_DIR/cache" -type f ! -name .kx-process | sed 's/^/  /'
