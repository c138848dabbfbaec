#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer into build-fuzz/ (or $JACKETEER_FUZZ_BUILD_DIR)
# and runs each for SECONDS (default 60) from its seed corpus and regression
# inputs. Prints every target's executions, coverage and findings; exits 1
# when any target found something (the inputs are kept under
# build-fuzz/fuzz-work/TARGET/findings/).
#
#   tools/scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="${JACKETEER_FUZZ_BUILD_DIR:-$top/build-fuzz}"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
fuzz="$top/tests/fuzz"

bash "$top/tools/scripts/install-deps.sh"
# clang and its sanitizer and libFuzzer runtimes, only needed here.
for p in clang libclang-rt-14-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      clang libclang-rt-14-dev >/dev/null
    break
  fi
done

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(ls "$fuzz/corpus")
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DJACKETEER_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

# Leaks are findings too; a slow input (a page whose cost grows with the square
# of its size) is one when a single run takes more than 10 seconds. The page
# targets get inputs up to 256 kB, large enough for what depends on a page's
# size, and the markers the parsers and the fetcher look for.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
work="$build/fuzz-work"
summary=()
found=0
for t in "${targets[@]}"; do
  dir="$work/$t"
  rm -rf "$dir/findings"
  mkdir -p "$dir/corpus" "$dir/findings"
  inputs=("$fuzz/corpus/$t")
  [ -d "$fuzz/regressions/$t" ] && inputs+=("$fuzz/regressions/$t")
  page=()
  case "$t" in
    vantory | brinsell | pagetext | pagebody | updatepage)
      page=(-max_len=262144 -dict="$fuzz/pages.dict") ;;
  esac
  echo "== fuzz_$t: $seconds s"
  status=0
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 "${page[@]}" \
    -artifact_prefix="$dir/findings/" "$dir/corpus" "${inputs[@]}" >"$dir/log" 2>&1 || status=$?
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)"
  cov="$(grep -o 'cov: [0-9]* ft: [0-9]*' "$dir/log" | tail -n 1)"
  corpus="$(ls "$dir/corpus" | wc -l)"
  findings="$(ls "$dir/findings" | wc -l)"
  if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    found=1
    grep -E 'ERROR|SUMMARY|check failed|runtime error' "$dir/log" | head -n 5 || true
  fi
  summary+=("$(printf '%-16s %12s execs  %-20s corpus %6s  findings %s' "$t" "${execs:-?}" \
    "${cov:-cov: ?}" "$corpus" "$findings")")
done

echo
echo "== fuzzing summary ($seconds s per target; logs in $work)"
printf '%s\n' "${summary[@]}"
exit $found
