#!/usr/bin/env bash
# Measures how fast zvk packs and unpacks, next to the yardsticks that do the
# same work: GNU tar, bsdtar, cat (for packing) and plain file copies (for
# unpacking), on the same files in the same run.
#
#   bench/run.sh                 the full run: 256 files of 4 MiB, 20,000 of 1 KiB
#   BENCH_QUICK=1 bench/run.sh   a quick run on small sets, to try the script
#
# Settings (environment):
#   BENCH_ROUNDS        rounds per measurement (default 9; quick: 3)
#   BENCH_BIG_COUNT     files in the big set (default 256; quick: 16)
#   BENCH_BIG_SIZE      bytes per big file (default 4194304)
#   BENCH_SMALL_COUNT   files in the small set (default 20000; quick: 2000)
#   BENCH_SMALL_SIZE    bytes per small file (default 1024)
#   BENCH_DIR           where to make the data (default /dev/shm when it has
#                       room, else /tmp)
#   BENCH_COMMIT        build zvk from this commit (exported with git archive
#                       into <repo>/build-bench/commit-source) instead of the
#                       work tree, which others may be changing mid-run
#   BENCH_SOURCE        or build it from this source tree
#   BENCH_BUILD_DIR     where to build zvk (default <repo>/build-bench, or
#                       <repo>/build-bench/commit-build for BENCH_COMMIT)
#   BENCH_KEEP_RAW      a file to copy the raw timings to, for later study
#
# The machine is small and shared, so every round runs each tool once, in an
# order that turns by one tool each round, after one untimed warm-up run of
# each, and the table shows medians and per-round ratios rather than single
# times; min and max show how noisy the run was. Outputs are removed between
# runs (untimed), and every unpack goes into a fresh empty folder.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -n "${BENCH_COMMIT:-}" ]; then
  source_dir=$root/build-bench/commit-source
  build=${BENCH_BUILD_DIR:-$root/build-bench/commit-build}
else
  source_dir=$(cd "${BENCH_SOURCE:-$root}" && pwd)
  build=${BENCH_BUILD_DIR:-$root/build-bench}
fi

if [ "${BENCH_QUICK:-0}" = 1 ]; then
  rounds=${BENCH_ROUNDS:-3}
  big_count=${BENCH_BIG_COUNT:-16}
  small_count=${BENCH_SMALL_COUNT:-2000}
else
  rounds=${BENCH_ROUNDS:-9}
  big_count=${BENCH_BIG_COUNT:-256}
  small_count=${BENCH_SMALL_COUNT:-20000}
fi
big_size=${BENCH_BIG_SIZE:-$((4 * 1024 * 1024))}
small_size=${BENCH_SMALL_SIZE:-1024}

say() { printf '%s\n' "$*" >&2; }
# 4194304 -> "4 MiB", 1024 -> "1 KiB", 1000 -> "1000 B"
size_text() {
  local n=$1
  if [ $((n % 1048576)) -eq 0 ] && [ "$n" -gt 0 ]; then echo "$((n / 1048576)) MiB"
  elif [ $((n % 1024)) -eq 0 ] && [ "$n" -gt 0 ]; then echo "$((n / 1024)) KiB"
  else echo "$n B"; fi
}
die() {
  say "bench: $*"
  exit 1
}

# --- what the benchmark needs -------------------------------------------------

need_packages() {
  local -a wanted=(time libarchive-tools cmake ninja-build g++ gcc libcli11-dev python3) missing=()
  local p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  say "Installing: ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || die "missing packages; run as root or install them: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

build_tools() {
  if [ -n "${BENCH_COMMIT:-}" ]; then
    local commit
    commit=$(git -C "$root" rev-parse --verify "${BENCH_COMMIT}^{commit}") || die "no commit $BENCH_COMMIT"
    say "Exporting commit $commit to $source_dir"
    rm -rf -- "$source_dir"
    mkdir -p "$source_dir"
    git -C "$root" archive "$commit" | tar -x -C "$source_dir"
    built_from="commit ${commit:0:12}"
  else
    built_from="$source_dir"
    if [ "$source_dir" = "$root" ] && [ -n "$(git -C "$root" status --porcelain -- . ':!bench' 2>/dev/null)" ]; then
      built_from="$source_dir (work tree with uncommitted changes)"
    fi
  fi
  say "Building zvk (Release) from $source_dir in $build"
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_WITH_UI=OFF \
    -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j2 >/dev/null
  zvk=$build/cli/zvk
  [ -x "$zvk" ] || die "no zvk after the build: $zvk"
  copier=$build/bench-copy-files
  gcc -O2 -Wall -Wextra -o "$copier" "$root/bench/copy_files.c"
}

# --- where the data goes ------------------------------------------------------

work=""
cleanup() {
  cd /
  if [ -n "$work" ] && [ -d "$work" ]; then rm -rf -- "$work"; fi
}
trap cleanup EXIT
trap 'say "bench: interrupted"; exit 130' INT TERM

choose_work_dir() {
  # Data, both packages of a set and one unpacked copy are on disk at once:
  # about four times the data, plus the other set's data.
  local need=$(((big_count * big_size + small_count * small_size) * 5))
  local base
  if [ -n "${BENCH_DIR:-}" ]; then
    base=$BENCH_DIR
  else
    base=/tmp
    local room
    room=$(df --output=avail -B1 /dev/shm 2>/dev/null | tail -n 1 | tr -d ' ' || echo 0)
    if [ "${room:-0}" -gt "$need" ]; then base=/dev/shm; fi
  fi
  local room
  room=$(df --output=avail -B1 "$base" | tail -n 1 | tr -d ' ')
  [ "$room" -gt "$need" ] || die "$base has $room bytes free; the run needs about $need"
  work=$(mktemp -d "$base/zvk-bench.XXXXXX")
  say "Working in $work ($(df --output=fstype "$base" | tail -n 1))"
}

# Makes COUNT files of SIZE random bytes each in DIR, named f00000, f00001 and on.
make_set() {
  local dir=$1 count=$2 size=$3
  mkdir -p "$dir"
  if [ "$count" -le 0 ]; then return; fi
  local digits=${#count}
  [ "$digits" -lt 5 ] && digits=5
  (cd "$dir" && head -c $((count * size)) /dev/urandom | split -b "$size" -d -a "$digits" - f)
  local made
  made=$(find "$dir" -maxdepth 1 -type f | wc -l)
  [ "$made" -eq "$count" ] || die "made $made files in $dir, wanted $count"
}

# Every tool is given the same list of relative names on its command line,
# so that list must fit in ARG_MAX together with the environment.
check_arg_room() {
  local arg_max bytes env_bytes
  arg_max=$(getconf ARG_MAX)
  bytes=$(printf '%s\0' "${files[@]}" | wc -c)
  env_bytes=$(env | wc -c)
  if [ $((bytes + env_bytes + 4096)) -ge "$arg_max" ]; then
    die "the file list takes $bytes bytes of arguments; ARG_MAX is $arg_max"
  fi
}

# --- the tools, as they are timed ------------------------------------------------
# The current folder is the data set's folder; names are relative to it.

pack_zvk() { "$zvk" pack "$out/p.ZVK" "${files[@]}" >/dev/null; }
pack_tar() { tar -cf "$out/p.tar" -- "${files[@]}"; }
pack_cat() { cat -- "${files[@]}" >"$out/p.cat"; }

unpack_zvk() { "$zvk" unpack -C "$dest" "$package" >/dev/null; }
unpack_tar() { tar -xf "$tarball" -C "$dest"; }
unpack_bsdtar() { bsdtar -xf "$tarball" -C "$dest"; }
unpack_cp() { cp -- "${files[@]}" "$dest/"; }
unpack_copy() { "$copier" "$dest" "${files[@]}"; }

prepare_pack() { rm -f -- "$out"/p.*; }
prepare_unpack() {
  rm -rf -- "$dest"
  mkdir "$dest"
}

# Times OP (pack or unpack) for every tool, ROUNDS times, the order turning
# by one tool each round.
measure() {
  local set_name=$1 op=$2
  shift 2
  local -a tools=("$@")
  local n=${#tools[@]} r i tool t0 t1
  # A warm-up run of each tool first, untimed: the first runs after the data
  # is made are often the slowest, whichever tool comes first.
  for tool in "${tools[@]}"; do
    "prepare_$op"
    "${op}_$tool" || die "$op with $tool failed (set $set_name, warm-up)"
  done
  for ((r = 0; r < rounds; r++)); do
    for ((i = 0; i < n; i++)); do
      tool=${tools[$(((i + r) % n))]}
      "prepare_$op"
      t0=$EPOCHREALTIME
      "${op}_$tool" || die "$op with $tool failed (set $set_name, round $r)"
      t1=$EPOCHREALTIME
      printf '%s\t%s\t%s\t%d\t%s\t%s\n' "$set_name" "$op" "$tool" "$r" "$t0" "$t1" >>"$work/times.tsv"
    done
    say "  $set_name $op: round $((r + 1))/$rounds done"
  done
  "prepare_$op"
}

# One more run of each tool under /usr/bin/time -v, for its peak memory.
measure_rss() {
  local set_name=$1 op=$2
  shift 2
  local tool report="$work/time-v.txt"
  for tool in "$@"; do
    "prepare_$op"
    case "$op:$tool" in
      pack:zvk) /usr/bin/time -v -o "$report" "$zvk" pack "$out/p.ZVK" "${files[@]}" >/dev/null ;;
      pack:tar) /usr/bin/time -v -o "$report" tar -cf "$out/p.tar" -- "${files[@]}" ;;
      pack:cat) /usr/bin/time -v -o "$report" sh -c 'exec cat -- "$@" >"$0"' "$out/p.cat" "${files[@]}" ;;
      unpack:zvk) /usr/bin/time -v -o "$report" "$zvk" unpack -C "$dest" "$package" >/dev/null ;;
      unpack:tar) /usr/bin/time -v -o "$report" tar -xf "$tarball" -C "$dest" ;;
      unpack:bsdtar) /usr/bin/time -v -o "$report" bsdtar -xf "$tarball" -C "$dest" ;;
      unpack:cp) /usr/bin/time -v -o "$report" cp -- "${files[@]}" "$dest/" ;;
      unpack:copy) /usr/bin/time -v -o "$report" "$copier" "$dest" "${files[@]}" ;;
    esac
    local kib
    kib=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$report")
    printf '%s\t%s\t%s\t%s\n' "$set_name" "$op" "$tool" "$kib" >>"$work/rss.tsv"
  done
  "prepare_$op"
}

# Checks, untimed, that zvk wrote a package of the set and unpacks it whole.
check_zvk() {
  local listed
  listed=$("$zvk" list "$package" | wc -l) || die "zvk list failed on the package of $data"
  [ "$listed" -eq "${#files[@]}" ] || die "zvk list shows $listed members, wanted ${#files[@]}"
  prepare_unpack
  unpack_zvk || die "zvk unpack failed on the package of $data"
  diff -rq "$data" "$dest" >/dev/null || die "zvk unpack did not give back the files of $data"
  prepare_unpack
}

bench_set() {
  local set_name=$1 count=$2 size=$3 description=$4
  data=$work/$set_name
  out=$work/out
  dest=$work/dest
  package=$work/$set_name.ZVK
  tarball=$work/$set_name.tar
  mkdir -p "$out"

  say "Making $description in $data"
  make_set "$data" "$count" "$size"
  printf '%s\t%s\t%s\t%s\n' "$set_name" "$count" $((count * size)) "$description" >>"$work/sets.tsv"
  cd "$data"
  mapfile -t files < <(find . -maxdepth 1 -type f -printf '%f\n' | sort)
  check_arg_room

  say "Packing $description"
  measure "$set_name" pack zvk tar cat
  measure_rss "$set_name" pack zvk tar cat

  say "Unpacking $description"
  pack_zvk
  mv -- "$out/p.ZVK" "$package"
  pack_tar
  mv -- "$out/p.tar" "$tarball"
  check_zvk
  measure "$set_name" unpack zvk tar bsdtar cp copy
  measure_rss "$set_name" unpack zvk tar bsdtar cp copy

  cd "$work"
  rm -rf -- "$data" "$package" "$tarball" "$out" "$dest"
}

main() {
  need_packages
  build_tools
  choose_work_dir
  : >"$work/times.tsv"
  : >"$work/rss.tsv"
  : >"$work/sets.tsv"
  local load_before
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)

  bench_set big "$big_count" "$big_size" "$big_count x $(size_text "$big_size")"
  bench_set small "$small_count" "$small_size" "$small_count x $(size_text "$small_size")"

  echo "zvk $("$zvk" --version 2>/dev/null | tail -n 1) built from $built_from"
  echo "$(tar --version | head -n 1), $(bsdtar --version | cut -d' ' -f1-2)"
  echo "$(nproc) cores, kernel $(uname -r), data on $(df --output=fstype "$work" | tail -n 1)," \
    "$rounds rounds; load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  python3 "$root/bench/report.py" "$work"
  if [ -n "${BENCH_KEEP_RAW:-}" ]; then
    cat "$work/sets.tsv" "$work/times.tsv" "$work/rss.tsv" >"$BENCH_KEEP_RAW"
  fi
}

main "$@"
