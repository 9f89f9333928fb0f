#!/usr/bin/env bash
# Resident memory of large form fields through the stand-alone server: builds bench/UploadServer.cpp (Release, in
# build-bench/), starts it with a body limit above the bodies, and posts form-encoded bodies of one field to
# "/$/ping" (no session needed), first one body of each size in SIZES_MB, then PARALLEL bodies of PARALLEL_MB at once,
# then one multipart/form-data body whose text field is MULTIPART_MB.
# For each round it prints the server's resident set before, its peak during the round (growth and growth per MiB
# of body in flight) and after. A benchmark, not a test: CI does not run it.
#   bench/form-memory.sh
#   SIZES_MB="1 16 60" PARALLEL=8 PARALLEL_MB=60 MULTIPART_MB=200 bench/form-memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."

SIZES_MB="${SIZES_MB:-1 8 60}"
PARALLEL="${PARALLEL:-8}"
PARALLEL_MB="${PARALLEL_MB:-60}"
MULTIPART_MB="${MULTIPART_MB:-200}"
largest=$PARALLEL_MB
((MULTIPART_MB > largest)) && largest=$MULTIPART_MB
for size in $SIZES_MB; do ((size > largest)) && largest=$size; done
source bench/bench-server.sh
start_bench_server $((largest + 16))

# A body of one field: "F=" and size MiB of "a".
body() {
  local file="$work/body-$1"
  [[ -f "$file" ]] || { printf 'F='; head -c $(($1 * 1024 * 1024)) /dev/zero | tr '\0' 'a'; } >"$file"
  echo "$file"
}

post() {
  if [[ -n "${multipart:-}" ]]; then
    curl -sS -o /dev/null -w '%{http_code}\n' -F "F=<$1" "${url}\$/ping"
  else
    curl -sS -o /dev/null -w '%{http_code}\n' -H 'Content-Type: application/x-www-form-urlencoded' \
      --data-binary "@$1" "${url}\$/ping"
  fi
}

# Runs count posts of size MiB at once and prints the round's figures.
round() {
  local count=$1 size=$2 file codes before peak after
  file="$(body "$size")"
  sleep 1
  before="$(rss_kb)"
  reset_peak
  codes="$(for _ in $(seq "$count"); do post "$file" & done; wait)"
  peak="$(hwm_kb)"
  sleep 1
  after="$(rss_kb)"
  local growth=$(((peak - before) / 1024)) flight=$((count * size))
  printf '%d x %3d MiB (answers %s): before %d MiB, peak +%d MiB (%s x the %d MiB in flight), after %d MiB (%+d MiB)\n' \
    "$count" "$size" "$(echo $codes | tr -s ' ' ',')" $((before / 1024)) "$growth" \
    "$(awk -v g="$growth" -v f="$flight" 'BEGIN {printf "%.2f", g / f}')" "$flight" $((after / 1024)) \
    $(((after - before) / 1024))
}

curl -sS -o /dev/null "${url}\$/ping"  # warms the server up
for size in $SIZES_MB; do round 1 "$size"; done
round "$PARALLEL" "$PARALLEL_MB"
echo "multipart/form-data, one text field:"
multipart=1 round 1 "$MULTIPART_MB"
