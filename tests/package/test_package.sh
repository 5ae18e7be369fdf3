#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian and appstreamcli when they
# are installed, unpacks it into a scratch root and starts the installed
# program there: it must find its templates in share/ and make its data under
# the user's XDG data folder.
set -euo pipefail
BUILD_DIR=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$WORK/out" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 \
  || { cat "$WORK/cpack.log"; fail "cpack"; }
DEB=$(ls "$WORK"/out/evrakmatik_*_amd64.deb 2>/dev/null | head -1)
[ -n "$DEB" ] || fail "no evrakmatik_<version>_amd64.deb"
depends=$(dpkg-deb -f "$DEB" Depends)
for d in fonts-wine libqt6sql6-sqlite libqt6sql6-psql libpq5 libqt6widgets6 libsqlite3; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# What a distribution asks of a package: lintian's errors and warnings fail
# the check (a deliberate one carries an override with its reason).
if command -v lintian >/dev/null; then
  packages=("$DEB" $(ls "$WORK"/out/*-dbgsym_*.ddeb 2>/dev/null))
  lintian --pedantic --fail-on error,warning "${packages[@]}" >"$WORK/lintian.log" 2>&1 \
    || { cat "$WORK/lintian.log"; fail "lintian"; }
  cat "$WORK/lintian.log"
fi

ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net "$ROOT" >"$WORK/as.log" 2>&1 \
    || { cat "$WORK/as.log"; fail "appstreamcli validate-tree"; }
fi
# The package carries the optimised code without its symbols.
file -L "$ROOT/usr/bin/evrakmatik" | grep -q ', stripped' || fail "usr/bin/evrakmatik is not stripped"
for f in usr/bin/evrakmatik usr/share/evrakmatik/MDQ/tescil.mdq usr/share/evrakmatik/MDQ/Arac.mdq \
         usr/share/evrakmatik/MDQ/sabit.mdq usr/share/evrakmatik/MDQ/IL.mdq \
         usr/share/applications/evrakmatik.desktop usr/share/icons/hicolor/scalable/apps/evrakmatik.svg \
         usr/share/icons/hicolor/48x48/apps/evrakmatik.png usr/share/icons/hicolor/256x256/apps/evrakmatik.png \
         usr/share/man/man1/evrakmatik.1.gz usr/share/doc/evrakmatik/copyright \
         usr/share/doc/evrakmatik/changelog.gz \
         usr/share/fonts/truetype/evrakmatik/tahoma.ttf usr/share/fonts/truetype/evrakmatik/tahomabd.ttf; do
  [ -e "$ROOT/$f" ] || fail "missing $f"
done
grep -q '^StartupWMClass=evrakmatik' "$ROOT/usr/share/applications/evrakmatik.desktop" || fail "desktop entry"
grep -q '^Categories=Office;' "$ROOT/usr/share/applications/evrakmatik.desktop" || fail "categories"
grep -q '^X-KDE-Shortcuts=Ctrl+I$' "$ROOT/usr/share/applications/evrakmatik.desktop" || fail "hot key"

version=$(QT_QPA_PLATFORM=offscreen "$ROOT/usr/bin/evrakmatik" --version 2>/dev/null)
# Both forms of one version: the window's (revision in two digits) and the package's.
IFS=. read -r major minor patch <<<"$(dpkg-deb -f "$DEB" Version)"
window=$(printf '%d.%d.%02d' "$major" "$minor" "$patch")
grep -qF "evrakmatik $window (paket $major.$minor.$patch)" <<<"$version" || fail "--version: $version"
help=$(QT_QPA_PLATFORM=offscreen "$ROOT/usr/bin/evrakmatik" --help 2>/dev/null)
grep -q -- '--print-pdf' <<<"$help" || fail "--help"

# A user's first start: data made from the installed templates, in XDG_DATA_HOME.
export HOME="$WORK/home" XDG_DATA_HOME="$WORK/home/data" XDG_CONFIG_HOME="$WORK/home/config"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
set +e
timeout 5 "$ROOT/usr/bin/evrakmatik" >"$WORK/run.log" 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || { cat "$WORK/run.log"; fail "the program ended on its own ($status)"; }
DATA="$XDG_DATA_HOME/evrakmatik"
for f in data/tescil.mdb Arac.mdb MDQ/tescil.mdq Fotolar; do
  [ -e "$DATA/$f" ] || fail "no $f under $DATA"
done
[ -w "$DATA/data/tescil.mdb" ] || fail "the record store is not writable"
# Made only when opened, and no operation opens them (as the README says).
for f in sabit.mdb IL.mdb; do
  [ ! -e "$DATA/$f" ] || fail "$f made at the first start"
done
[ -e "$XDG_CONFIG_HOME/evrakmatik/Bosluk" ] || fail "no margins folder"
grep -q "Exec=\"$ROOT/usr/bin/evrakmatik\"" "$HOME/Desktop/evrakmatik.desktop" || fail "launcher target"
[ ! -e "$ROOT/usr/share/evrakmatik/data" ] || fail "wrote into the installed folders"
echo "package: 1 passed, 0 failed"
