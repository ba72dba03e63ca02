#!/bin/sh
# Start-up of "veltrano --demo" to the window shown (offscreen platform), and
# its peak memory, over several runs. Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -eu
build=${1:-build}
runs=${2:-10}
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
out=$(mktemp)
i=0
while [ "$i" -lt "$runs" ]; do
    /usr/bin/time -f "rss %M wall %e" "$build/src/veltrano" --demo --exit-when-shown >>"$out" 2>&1
    i=$((i + 1))
done
grep 'window shown after' "$out" | awk '{print $4}' | sort -n |
    awk '{a[NR]=$1} END {printf "Start-up to the window shown, %d runs: median %.0f ms, max %.0f ms\n", NR, a[int((NR+1)/2)], a[NR]}'
grep '^rss' "$out" | awk '{print $2}' | sort -n |
    awk '{a[NR]=$1} END {printf "Peak memory (maximum resident set): median %.1f MB, max %.1f MB\n", a[int((NR+1)/2)]/1024, a[NR]/1024}'
grep '^rss' "$out" | awk '{print $4 * 1000}' | sort -n |
    awk '{a[NR]=$1} END {printf "Whole process (exec, window shown, exit), wall clock: median %.0f ms\n", a[int((NR+1)/2)]}'
rm -f "$out"
