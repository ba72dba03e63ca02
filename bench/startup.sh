#!/bin/sh
# Start-up of "veltrano --demo" to the window shown (offscreen platform), and
# its peak memory, over several runs; each run is a first start (no window
# settings kept). With a second build directory, the two programs run in
# turn and the figures of both are given, with the first's share of the
# second's (e.g. the last commit's build, made from `git archive HEAD`).
# Usage: bench/startup.sh [BUILD_DIR] [RUNS] [BASELINE_BUILD_DIR]
set -eu
build=${1:-build}
runs=${2:-10}
baseline=${3:-}
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run DIR OUT: one start, its lines appended to OUT.
run() {
    rm -rf "$work/config"
    XDG_CONFIG_HOME="$work/config" /usr/bin/time -f "rss %M wall %e cpu %U %S" "$1/src/veltrano" --demo --exit-when-shown \
        >>"$2" 2>&1
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR) printf "%.1f", a[int((NR+1)/2)]; else printf "nan"}'; }
maximum() { sort -n | awk '{a[NR]=$1} END {if (NR) printf "%.1f", a[NR]; else printf "nan"}'; }

i=0
while [ "$i" -lt "$runs" ]; do
    run "$build" "$work/new"
    [ -z "$baseline" ] || run "$baseline" "$work/old"
    i=$((i + 1))
done

# report OUT LABEL: the figures of one program.
report() {
    shown=$(grep 'window shown after' "$1" | awk '{print $4}')
    rss=$(grep '^rss' "$1" | awk '{print $2 / 1024}')
    wall=$(grep '^rss' "$1" | awk '{print $4 * 1000}')
    printf '%s: start-up to the window shown, %d runs: median %s ms, max %s ms\n' "$2" \
        "$(echo "$shown" | grep -c .)" "$(echo "$shown" | median)" "$(echo "$shown" | maximum)"
    printf '%s: peak memory (maximum resident set): median %s MB, max %s MB\n' "$2" \
        "$(echo "$rss" | median)" "$(echo "$rss" | maximum)"
    cpu=$(grep '^rss' "$1" | awk '{print ($6 + $7) * 1000}')
    printf '%s: whole process (exec, window shown, exit): wall clock median %s ms, CPU median %s ms\n' "$2" \
        "$(echo "$wall" | median)" "$(echo "$cpu" | median)"
}
report "$work/new" "$build"
if [ -n "$baseline" ]; then
    report "$work/old" "$baseline"
    for what in 'window shown after:$4' '^rss:$2' '^rss:($6+$7)*1000'; do
        pattern=${what%%:*}
        field=${what#*:}
        a=$(grep "$pattern" "$work/new" | awk "{print $field}" | median)
        b=$(grep "$pattern" "$work/old" | awk "{print $field}" | median)
        awk -v a="$a" -v b="$b" -v w="$pattern" -v f="$field" 'BEGIN {
            name = (f ~ /6/) ? "whole-process CPU" : (w ~ /rss/) ? "peak memory" : "start-up";
            printf "%s, median: %.0f %% of the baseline\n", name, 100 * a / b }'
    done
fi
