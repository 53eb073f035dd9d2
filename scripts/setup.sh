#!/usr/bin/env bash
# Installs everything the build, the tests and the running program need on
# Debian 12, then configures and builds into build/.
#   scripts/setup.sh              full build (GUI, CLI, tests)
#   SHINSEIDESK_GUI=OFF scripts/setup.sh   core + CLI + core tests only
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-psql libqt6printsupport6 libqt6svg6
  qt6-qpa-plugins qtkeychain-qt6-dev qt6-image-formats-plugins
  libsqlite3-dev sqlite3 libpq-dev
  libcurl4-openssl-dev libicu-dev libzip-dev zip unzip
  libpugixml-dev  # the parts of a workbook are edited through its XML tree
  libqpdf-dev qpdf  # splitting and combining the PDFs of a submission set
  zipcmp zipmerge ziptool  # libzip's CMake package refuses to load without them
  libbenchmark-dev
  libreoffice-calc libreoffice-l10n-ja  # Japanese menus in the workbook viewer
  fonts-noto-cjk fonts-ipafont fonts-ipafont-mincho fonts-ipafont-gothic
  xvfb xauth imagemagick poppler-utils x11-utils
  python3-aiosmtpd python3-openpyxl
  openssl  # certificates of the mail tests' TLS server
  postgresql
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

gui=${SHINSEIDESK_GUI:-ON}
build=${SHINSEIDESK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHINSEIDESK_GUI="$gui"
cmake --build "$build" -j"$(nproc)"
