# shellcheck shell=bash disable=SC2034  # the sourcing scripts use the settings
# Shared by the whole-job benchmarks (whole_job.sh, growth.sh); sourced, not run.
# They drive the built companion from outside, so they measure what a shop's
# script gets: start-up, the data folder, the job, the files written.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac
CLI="$BUILD_DIR/src/cli/prandel-etykiet-cli"
MAKE_GOODS="$ROOT/tools/make_goods.py"
# The shipped layout's A4 page: 5 mm unprintable border, 6 × 14 cells of 30 × 20 mm.
LABELS_PER_PAGE=84
export QT_QPA_PLATFORM=offscreen

die() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# apt_install PACKAGE COMMAND: installs the Debian package when COMMAND is missing.
apt_install() {
  local pkg=$1 cmd=$2
  command -v "$cmd" >/dev/null 2>&1 && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Instalowanie pakietu $pkg (brak $cmd)..." >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "$pkg" >/dev/null ||
    die "nie udało się zainstalować pakietu $pkg; zainstaluj go: apt-get install -y $pkg"
  command -v "$cmd" >/dev/null 2>&1 || die "po instalacji $pkg nadal brak $cmd"
}

need_tools() {
  command -v python3 >/dev/null 2>&1 || die "brak python3"
  apt_install time /usr/bin/time
  apt_install poppler-utils pdfinfo
}

# Builds the companion when this checkout's build folder lacks it.
ensure_companion() {
  [ -x "$CLI" ] && return 0
  echo "Budowanie $CLI..." >&2
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
      die "konfiguracja cmake w $BUILD_DIR nie powiodła się"
  fi
  cmake --build "$BUILD_DIR" --target prandel-etykiet-cli ||
    die "budowanie prandel-etykiet-cli nie powiodło się"
  [ -x "$CLI" ] || die "po budowaniu nadal brak $CLI"
}

# measure OUTVAR CMD...: runs CMD (its standard output goes on), and sets
# OUTVAR to "wall cpu rss_mb": wall seconds, user + system CPU seconds and the
# peak resident memory in MB. Fails with CMD's standard error on an error.
measure() {
  local -n _out=$1
  shift
  local tf ef
  tf=$(mktemp "$WORK/time.XXXXXX")
  ef=$(mktemp "$WORK/err.XXXXXX")
  if ! /usr/bin/time -f "%e %U %S %M" -o "$tf" "$@" 2>"$ef"; then
    cat "$ef" >&2
    die "polecenie nie powiodło się: $*"
  fi
  # /usr/bin/time prints a "Command exited..." line first on failure; the
  # figures are always on the last line.
  _out=$(tail -n 1 "$tf" | awk '{ printf "%.2f %.2f %.1f", $1, $2 + $3, $4 / 1024 }')
  rm -f "$tf" "$ef"
}

# measure_own OUTVAR CMD...: as measure, but the third figure is the peak of
# CMD's own memory: its anonymous resident memory (heap, stacks, caches),
# without the files it maps, such as the goods file; sampled every 50 ms.
measure_own() {
  local -n _own=$1
  shift
  local tf ef pid child peak=0 key value _
  tf=$(mktemp "$WORK/time.XXXXXX")
  ef=$(mktemp "$WORK/err.XXXXXX")
  /usr/bin/time -f "%e %U %S %M" -o "$tf" "$@" 2>"$ef" &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    child=$(cat "/proc/$pid/task/$pid/children" 2>/dev/null || true)
    for c in $child; do
      { while read -r key value _; do
        [ "$key" = "RssAnon:" ] && [ "$value" -gt "$peak" ] && peak=$value
      done <"/proc/$c/status"; } 2>/dev/null || true
    done
    sleep 0.05
  done
  if ! wait "$pid"; then
    cat "$ef" >&2
    die "polecenie nie powiodło się: $*"
  fi
  _own=$(tail -n 1 "$tf" | awk -v anon="$peak" '{ printf "%.2f %.2f %.1f", $1, $2 + $3, anon / 1024 }')
  rm -f "$tf" "$ef"
}

# parse_max_seed ARGS...: the options --max N and --seed S of growth.sh and
# scale.sh into MAX and SEED (their defaults set before the call); --help
# prints the calling script's opening comment.
parse_max_seed() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --max) MAX=${2:?--max needs a number}; shift 2 ;;
      --seed) SEED=${2:?--seed needs a number}; shift 2 ;;
      -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
      *) die "nieznana opcja: $1 (zobacz --help)" ;;
    esac
  done
  [[ "$MAX" =~ ^[1-9][0-9]*$ ]] || die "--max: $MAX nie jest liczbą"
  [[ "$SEED" =~ ^[0-9]+$ ]] || die "--seed: $SEED nie jest liczbą"
}

file_mb() {
  awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1048576 }'
}

pdf_pages() {
  pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'
}

# The machine, for the tables a README publishes.
machine_line() {
  local cpu mem
  cpu=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo)
  mem=$(awk '/^MemTotal:/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}, $mem RAM; load average at start $(cut -d' ' -f1-3 /proc/loadavg);" \
    "build $BUILD_DIR (checkout $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?'))."
}

# A working folder removed on exit, whatever the exit.
make_workdir() {
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/prandel-bench.XXXXXX")
  trap 'rm -rf "$WORK"' EXIT
  trap 'exit 130' INT TERM
}
