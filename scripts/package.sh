#!/usr/bin/env bash
# Builds the Debian package build/evrakmatik_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd "${BUILD_DIR:-build}"
cpack -G DEB
ls -1 evrakmatik_*.deb
