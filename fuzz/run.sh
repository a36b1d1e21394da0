#!/usr/bin/env bash
# Runs every fuzz target (or those named) for SECONDS each, two at a time,
# from the seeds in fuzz/corpus; new inputs go to WORK/<target>, crashes to
# WORK/artifacts/<target>/, the last lines of each run to WORK/<target>.log.
#
#   fuzz/run.sh [-t SECONDS] [-w WORK] [TARGET...]
#
# Needs the clang build:
#   CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPRANDEL_FUZZ=ON -DSANITIZE=ON -DPRANDEL_TESTS=OFF
#   cmake --build build-fuzz -j2
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600
work=${TMPDIR:-/tmp}/prandel-fuzz
while getopts t:w: opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    w) work=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

run_one() {
  local t=fuzz_${1#fuzz_} bin
  bin=$(find build-fuzz/fuzz -type f -name "$t" -perm -u+x | head -1)
  [ -n "$bin" ] || { echo "$t: not built" >&2; return 1; }
  mkdir -p "$work/$t" "$work/artifacts/$t"
  # File readers write their input to a temporary file: keep that off the disk.
  TMPDIR=/dev/shm "$bin" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/$t/" \
    "$work/$t" "fuzz/corpus/$t" >"$work/$t.log" 2>&1 || true
  local last
  last=$(grep -E '^#[0-9]+' "$work/$t.log" | tail -1)
  echo "$t: $last; findings: $(find "$work/artifacts/$t" -type f | wc -l)"
}

# At most two at a time: the machine is shared.
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ $running -ge 2 ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
