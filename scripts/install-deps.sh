#!/usr/bin/env bash
# Installs what Evrakmatik needs to build, run and test on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(
  build-essential cmake pkg-config dpkg-dev file
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev qt6-translations-l10n
  libsqlite3-dev libxlsxwriter-dev libcups2-dev zlib1g-dev
  fonts-wine fonts-dejavu-core python3 python3-fonttools
  poppler-utils xvfb xauth xdotool clang libclang-rt-14-dev
  lintian appstream
  cups printer-driver-cups-pdf libreoffice-writer-nogui libreoffice-calc-nogui
  ghostscript python3-pdfminer qpdf
  postgresql-15 libqt6sql6-psql libpq-dev
  mdbtools-dev mdbtools
  locales
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Turkish dates in Qt's own dialogs need the C library's Turkish locale.
if ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(tr_TR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
