#!/usr/bin/env bash
# Installs what is needed, builds, and starts Evrakmatik.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a build/bin/evrakmatik "$@"
fi
exec build/bin/evrakmatik "$@"
