#!/usr/bin/env bash
# Prandel etykiet: one script for shop owners and developers.
#
#   ./make.sh          install what is missing, build, start the program
#   ./make.sh test     install what is missing, build, run every test
#   ./make.sh build    install what is missing and build only
#   ./make.sh bench    build and run the benchmarks
#   ./make.sh package  build a Debian package (build-package/prandel-etykiet_*.deb)
#
# Environment: BUILD_DIR (default ./build), SANITIZE=ON for an ASan/UBSan build.
set -euo pipefail
cd "$(dirname "$0")"

# Everything a fresh minimal Debian 12 lacks: the build, the tests (their
# fonts are exactly these two font packages), the package (CPack's DEB
# generator runs `file` and dpkg-dev's dpkg-shlibdeps).
PACKAGES=(
  cmake g++ ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
  libcups2-dev libsqlite3-dev libpq-dev unixodbc unixodbc-dev libsqliteodbc odbc-postgresql
  fonts-dejavu-core fonts-liberation2
  googletest libgtest-dev libgmock-dev libbenchmark-dev python3
  zbar-tools poppler-utils postgresql pxlib-dev libzint-dev libzxing-dev cups-daemon cups-client cups
  qt6-translations-l10n desktop-file-utils appstream dpkg-dev file librsvg2-bin
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Instalowanie pakietów: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_DIR=${BUILD_DIR:-build}
configure_and_build() {
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSANITIZE="${SANITIZE:-OFF}" -DPRANDEL_BENCH="${1:-OFF}" >/dev/null
  cmake --build "$BUILD_DIR" -j "$(nproc)"
}

cmd=${1:-run}
case "$cmd" in
  run)
    install_packages
    configure_and_build
    exec "$BUILD_DIR/src/app/prandel-etykiet"
    ;;
  build)
    install_packages
    configure_and_build
    ;;
  test)
    install_packages
    # The benchmarks are built too (not run), so that none of them is left
    # behind by a change of the code they measure.
    configure_and_build "${PRANDEL_BENCH:-ON}"
    cd "$BUILD_DIR"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600
    ;;
  bench)
    install_packages
    configure_and_build ON
    for b in "$BUILD_DIR"/bench/bench_*; do [ -x "$b" ] && "$b"; done
    # The whole jobs through the companion: the goods commands at 10^6 and
    # 10^5 goods beside their targets, the print job against glabels, and the
    # growth table up to 10^5 goods (bench/growth.sh alone goes to 10^6).
    BUILD_DIR="$BUILD_DIR" bench/scale.sh
    BUILD_DIR="$BUILD_DIR" bench/whole_job.sh
    BUILD_DIR="$BUILD_DIR" bench/growth.sh --max 100000
    ;;
  package)
    install_packages
    # A release build of the program alone, installed under /usr.
    cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
          -DPRANDEL_TESTS=OFF >/dev/null
    cmake --build build-package -j "$(nproc)"
    (cd build-package && cpack -G DEB)
    ls build-package/prandel-etykiet_*.deb
    ;;
  *)
    echo "użycie: $0 [run|test|build|bench|package]" >&2
    exit 2
    ;;
esac
