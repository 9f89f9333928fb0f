#!/usr/bin/env bash
# Server time against size, 1 to 64 MiB, for hostile request shapes through the stand-alone host's decoding
# (bench/ClientBytesBench.cpp): one line per shape with the milliseconds per MiB at each size and what the host
# answered. Linear cost keeps the milliseconds per MiB roughly constant along a line.
# A benchmark, not a test: CI does not run it. FILTER narrows the shapes (a Google Benchmark regular expression).
#   bench/client-bytes.sh
#   FILTER='Form|Multipart' BUILD=build bench/client-bytes.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD="${BUILD:-build-bench}"
FILTER="${FILTER:-.}"

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_bench_client_bytes

json="$(mktemp)"
trap 'rm -f "$json"' EXIT
"$BUILD/bench/kx_bench_client_bytes" --benchmark_filter="$FILTER" --benchmark_min_time=0.2 \
  --benchmark_out="$json" --benchmark_out_format=json >&2

python3 - "$json" <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    shape, mib = b["name"].removeprefix("BM_").rsplit("/", 1)
    seconds = b["cpu_time"] * {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1}[b["time_unit"]]
    rows.setdefault(shape, {})[int(mib)] = (seconds * 1000 / int(mib), int(b["status"]))
sizes = sorted({mib for row in rows.values() for mib in row})
print("| shape | " + " | ".join(f"{mib} MiB" for mib in sizes) + " | answer |")
print("|---|" + "---|" * (len(sizes) + 1))
for shape, row in rows.items():
    cells = [f"{row[mib][0]:.3g}" if mib in row else "" for mib in sizes]
    answers = "/".join(map(str, sorted({status for _, status in row.values()})))
    print(f"| {shape} | " + " | ".join(cells) + f" | {answers} |")
PY
