#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, names ending in _fuzz) with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs each for a bounded time.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default NORVANE_FUZZ_SECONDS or 60); TARGET names without "_fuzz" (default:
# every built target). Each target's growing corpus stays in build-fuzz/fuzz-corpus/<target>, and
# a crashing, leaking or hanging input lands in build-fuzz/fuzz-artifacts/<target>/. The script
# ends non-zero when any target found something.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${NORVANE_FUZZ_SECONDS:-60}"
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi

bash "$root/scripts/setup.sh" --fuzz

# ccache, as scripts/build.sh uses it: CI builds the targets on every run.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DNORVANE_FUZZ=ON \
    -DNORVANE_BUILD_TESTS=OFF -DNORVANE_BUILD_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" -j2 --target fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/bin/*_fuzz; do
    name="$(basename "$program")"
    targets+=("${name%_fuzz}")
  done
fi

python3 "$root/scripts/fuzz_seeds.py" "$build/fuzz-seeds" "${targets[@]}"

# Longest input per target: pages get 64 KiB, short texts less.
max_len_of() {
  case "$1" in
    decode_entity) echo 64 ;;
    url_rules | link_extraction | retry_after) echo 4096 ;;
    *) echo 65536 ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
failed=()
for target in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  echo "== ${target}_fuzz for ${seconds}s"
  if ! "$build/bin/${target}_fuzz" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$corpus" "$build/fuzz-seeds/$target" 2>"$build/fuzz-$target.log"; then
    failed+=("$target")
    tail -n 40 "$build/fuzz-$target.log"
  else
    grep -E "^(Done|stat::new_units_added|stat::peak_rss_mb)" "$build/fuzz-$target.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs in $build/fuzz-artifacts/)"
  exit 1
fi
echo "No findings."
