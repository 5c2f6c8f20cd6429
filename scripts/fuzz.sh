#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs one for a given time:  scripts/fuzz.sh fuzz_ico 600 [extra libFuzzer flags]
# Crashes land in fuzz/crashes/<target>/; copy them into tests/data/<format>/crashes/
# so that the regression tests keep loading them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:-60}
shift 2 || shift $#
build="$top/build/fuzz"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARROWIN_FUZZ=ON -DTARROWIN_APP=OFF -DTARROWIN_TESTS=OFF -DTARROWIN_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined" >/dev/null
cmake --build "$build" --target "$target" -j2
exe=$(find "$build/fuzz" -type f -name "$target" -perm -u+x | head -n1)
corpus="$top/build/fuzz-corpus/$target"
crashes="$top/fuzz/crashes/$target"
mkdir -p "$corpus" "$crashes"
# Seeds: the project's own test data for the target's format.
seeds=()
for d in "$top"/fuzz/seeds/"$target" "$top"/tests/data/*/valid "$top"/tests/data/*/crashes; do
    [[ -d "$d" ]] && seeds+=("$d")
done
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$exe" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=2048 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$@"
