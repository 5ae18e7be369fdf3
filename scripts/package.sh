#!/usr/bin/env bash
# Builds the Debian package build/evrakmatik_<version>_amd64.deb and its
# debugging symbols build/evrakmatik-dbgsym_<version>_amd64.ddeb, then shows
# what lintian says of them when it is installed. The build is optimised with
# debugging information (as Debian builds, -O2 -g); the package takes the
# program stripped and the .ddeb the symbols.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd "${BUILD_DIR:-build}"
cpack -G DEB
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' CPackConfig.cmake)
packages=($(ls evrakmatik_"$version"_*.deb evrakmatik-dbgsym_"$version"_*.ddeb 2>/dev/null || true))
if command -v lintian >/dev/null; then
  lintian --pedantic --fail-on error,warning "${packages[@]}"
fi
printf '%s\n' "${packages[@]}"
