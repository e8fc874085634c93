#!/usr/bin/env bash
# Builds the fuzz targets and runs them.
#
#   fuzz/run.sh [SECONDS]
#
# SECONDS (default 60) is the whole run, shared equally by the targets, which
# run one after the other. Each works on a copy of fuzz/corpus/ in a temporary
# folder, so the inputs kept in the repository stay as they are. Installs
# clang and libFuzzer's runtime from Debian when missing (as root).
#
# Exits 0 when no target found anything, 1 on any finding (a crash, a failed
# check, a sanitizer report, a leak, a timeout, running out of memory), 2 on
# a usage error. Findings are kept in build-fuzz/findings/ (or
# $QUORVANE_FUZZ_BUILD_DIR/findings/); each replays with
#   build-fuzz/<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(package_reader_fuzzer unpack_job_fuzzer)

total=${1:-60}
if ! [[ $total =~ ^[0-9]+$ ]] || [ "$total" -lt 1 ]; then
  echo "usage: $0 [SECONDS]   (a whole number of seconds, at least 1)" >&2
  exit 2
fi
per_target=$(( total / ${#targets[@]} ))
[ "$per_target" -ge 1 ] || per_target=1

# The tool chain.
packages=(clang libclang-rt-14-dev cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run this as root, or install them: ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq </dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

# The build.
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ </dev/null
fi
cmake --build "$build" </dev/null

# A private folder for the corpus copies, the logs and everything the
# targets write; in memory when /dev/shm is there.
parent=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && parent=/dev/shm
scratch=$(mktemp -d "$parent/quorvane-fuzz-run-XXXXXX")
cleanup() { rm -rf -- "$scratch"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

export QUORVANE_FUZZ_TMP=$scratch/work
mkdir -p "$QUORVANE_FUZZ_TMP"
# Leaks are findings; undefined behaviour already stops the run (built with
# -fno-sanitize-recover), the options make sure a report also shows a stack.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

findings=$build/findings
mkdir -p "$findings"
status=0
summary=()
for target in "${targets[@]}"; do
  corpus=$scratch/corpus-$target
  mkdir -p "$corpus"
  cp "$root/fuzz/corpus/"* "$corpus/"
  log=$scratch/$target.log
  echo "== $target: ${per_target}s"
  set +e
  "$build/$target" "$corpus" \
    -max_total_time="$per_target" \
    -max_len=4096 \
    -rss_limit_mb=2048 \
    -timeout=25 \
    -dict="$root/fuzz/package.dict" \
    -artifact_prefix="$findings/$target-" \
    -print_final_stats=1 \
    </dev/null >"$log" 2>&1
  rc=$?
  set -e
  # The progress lines every few seconds would flood a CI log; show the ends.
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$log" || true
  if [ $rc -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|==quorvane-fuzz==|SUMMARY: ' "$log"; then
    status=1
    echo "!! $target found something (exit status $rc):"
    grep -nE -A40 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|==quorvane-fuzz==' "$log" | head -80 || true
    grep -E 'Test unit written to' "$log" || true
    cp "$log" "$findings/$target.log"
    echo "!! the whole log: $findings/$target.log"
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$log" | tail -1) || true
  cov=$(grep -oE '^#[0-9]+[[:space:]]+DONE[[:space:]]+cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' "$log" |
        tail -1 | sed -E 's/^#[0-9]+[[:space:]]+DONE[[:space:]]+//') || true
  summary+=("$target: ${execs:-?} executions, ${cov:-no final coverage line}, exit status $rc")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
if [ $status -ne 0 ]; then
  echo "Findings are in $findings; replay one with: $build/<target> <file>"
else
  echo "No findings."
fi
exit $status
