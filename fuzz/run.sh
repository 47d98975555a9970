#!/usr/bin/env bash
# Runs each fuzz target for the given seconds, one after the other, niced.
# Usage: fuzz/run.sh <folder of fuzz_* binaries> [seconds per target, default 60] [targets...]
# Working corpora, logs and raw artifacts go to fuzz/findings/<target>/ (not committed); every
# crash, leak, timeout or out-of-memory input is also copied to fuzz/crashes/<target>/, which the
# replay under ctest runs, so that it fails until the reader is fixed.
set -euo pipefail
bin=$1
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tga bmp draw layout png)
here=$(cd "$(dirname "$0")" && pwd)

# A reader must not allocate more than a file could describe: 64 MB of zero rows for a short
# TGA is the most; ASan's quarantine of freed blocks counts towards the resident limit.
options=(-max_total_time="$seconds" -malloc_limit_mb=128 -rss_limit_mb=1024 -timeout=10
         -max_len=16384 -print_final_stats=1)

found=0
for target in "${targets[@]}"; do
    work=$here/findings/$target
    mkdir -p "$work/corpus" "$work/artifacts"
    echo "== fuzz_$target for ${seconds}s (log: $work/log)"
    status=0
    nice -n 10 "$bin/fuzz_$target" "${options[@]}" -artifact_prefix="$work/artifacts/" \
        "$work/corpus" "$here/corpus/$target" >"$work/log" 2>&1 || status=$?
    grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs|^==[0-9]+==ERROR|^SUMMARY|fuzz check failed' \
        "$work/log" || true
    for artifact in "$work"/artifacts/*; do
        [ -e "$artifact" ] || continue
        name=$(basename "$artifact")
        if [ ! -e "$here/crashes/$target/$name" ]; then
            mkdir -p "$here/crashes/$target"
            cp "$artifact" "$here/crashes/$target/$name"
            echo "new finding: fuzz/crashes/$target/$name"
            found=1
        fi
    done
    [ "$status" -eq 0 ] || found=1
done
exit "$found"
