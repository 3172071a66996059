#!/usr/bin/env bash
# Installs a built package with apt (as root, so its dependencies resolve), starts the installed
# program under Xvfb and a window manager (openbox) as an unprivileged user with a fresh home, logs
# in with the delivered account by real key presses (xdotool), checks that the main window's frame
# is wholly on the screen, then removes the package and checks that the user's shop data is still
# there.   usage: scripts/installed-start.sh PACKAGE.deb
set -euo pipefail
DEB=$(realpath "$1")
HERE=$(cd "$(dirname "$0")" && pwd)
fail() { echo "installed-start: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run as root: it installs and removes the package"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$DEB" >/dev/null
command -v marvono >/dev/null || fail "marvono is not on the PATH after installing"
for program in marvono marvono-shopdb-init marvono-shopdb-move; do
    [ "$($program --version)" = "Marvono $(dpkg-deb --field "$DEB" Version)" ] || fail "$program --version"
done

OPERATOR=marvono-operator
id -u "$OPERATOR" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$OPERATOR"
HOME_DIR=$(mktemp -d /tmp/marvono-home.XXXXXX)
chown "$OPERATOR:" "$HOME_DIR"
cleanup() { rm -rf "$HOME_DIR"; }
trap cleanup EXIT

runuser -u "$OPERATOR" -- env -i HOME="$HOME_DIR" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$HERE/installed-login.sh"
SHOP="$HOME_DIR/.local/share/marvono"
for file in system32.dll setup.dat qexclient/pic/zw.jpg qexclient/tables.dat report/report.rpt; do
    [ -f "$SHOP/$file" ] || fail "the first start did not lay out $file"
done
[ "$(stat -c %U "$SHOP/system32.dll")" = "$OPERATOR" ] || fail "the database does not belong to the operator"
before=$(cd "$SHOP" && find . -type f -print0 | sort -z | xargs -0 sha256sum)

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq marvono >/dev/null
[ ! -e /usr/lib/marvono/marvono ] || fail "the program is still installed"
after=$(cd "$SHOP" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
[ "$before" = "$after" ] || fail "removing the package changed the shop data"
echo "installed-start: installed, logged in as vetch, main window shown on screen, removed; shop data kept"
