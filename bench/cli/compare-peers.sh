#!/usr/bin/env bash
# Times the command-line verbs against the tools a user would otherwise reach for:
# ImageMagick's convert for making icons, icoutils' wrestool for extracting them.
# Usage: bench/cli/compare-peers.sh [path/to/tarrowin] [runs]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$top/build/release/app/tarrowin}
runs=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inputs: two photographs-like pictures, and a DLL of 200 icon groups built by windres.
convert -size 512x512 plasma:red-blue -seed 1 "$work/512.png"
convert -size 2048x2048 plasma:green-yellow -seed 2 "$work/2048.png"
"$exe" create "$work/512.png" -o "$work/lib.ico" --sizes 16,24,32,48,64,128 >/dev/null
{
    for i in $(seq 1 200); do echo "$((100 + i)) ICON \"$work/lib.ico\""; done
} > "$work/lib.rc"
x86_64-w64-mingw32-windres --preprocessor=cpp -i "$work/lib.rc" -O coff -o "$work/lib.o"
x86_64-w64-mingw32-ld --dll -e 0 -s -o "$work/lib.dll" "$work/lib.o"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
seconds() { /usr/bin/time -f %e -o "$work/time.txt" "$@" >/dev/null 2>&1; tail -1 "$work/time.txt"; }
# Runs the two commands in turn (A B A B ...), so that a machine whose speed drifts
# treats both alike; prints both medians and the median of the pairwise ratios.
compare() {
    local name=$1 a b ratios=() as=() bs=()
    shift
    local -a ca cb
    while [[ $1 != -- ]]; do ca+=("$1"); shift; done
    shift
    cb=("$@")
    seconds "${ca[@]}" >/dev/null; seconds "${cb[@]}" >/dev/null # warm-up
    for _ in $(seq "$runs"); do
        a=$(seconds "${ca[@]}"); b=$(seconds "${cb[@]}")
        as+=("$a"); bs+=("$b"); ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { print (b > 0 ? a / b : 0) }')")
    done
    printf '%-38s tarrowin %5.0f ms   peer %5.0f ms   ratio (median of pairs) %.2f\n' "$name" \
        "$(printf '%s\n' "${as[@]}" | median | awk '{print $1 * 1000}')" \
        "$(printf '%s\n' "${bs[@]}" | median | awk '{print $1 * 1000}')" \
        "$(printf '%s\n' "${ratios[@]}" | median)"
}

for size in 512 2048; do
    compare "create 16,32,48 from ${size}px PNG" \
        sh -c "rm -f $work/o.ico; exec $exe create $work/$size.png -o $work/o.ico --sizes 16,32,48" -- \
        convert "$work/$size.png" -define icon:auto-resize=16,32,48 "$work/c.ico"
done
compare "extract 200 groups, new folder" \
    sh -c "rm -rf $work/t; exec $exe extract $work/lib.dll -o $work/t" -- \
    sh -c "rm -rf $work/w; mkdir $work/w; exec wrestool -x --type=14 -o $work/w $work/lib.dll"
# Replacing files flushes each one to disk before it takes the old one's place.
compare "extract 200 groups, replacing (--force)" \
    sh -c "exec $exe extract $work/lib.dll -o $work/t --force" -- \
    wrestool -x --type=14 -o "$work/w" "$work/lib.dll"
