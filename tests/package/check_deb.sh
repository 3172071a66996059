#!/usr/bin/env bash
# Checks a built marvono_*.deb with dpkg-deb: its metadata, that it carries the program with its
# delivered files, desktop entry, icons, metadata, guide and manual page, and nothing of the build
# tree (tools, tests, build paths, debug symbols).   usage: check_deb.sh PACKAGE.deb VERSION
# Text is searched through here-strings, never a pipe into grep -q: with pipefail the writer's
# SIGPIPE would fail a check that matched.
set -euo pipefail
DEB=$1
VERSION=$2
fail() { echo "check_deb: $*" >&2; exit 1; }

field() { dpkg-deb --field "$DEB" "$1"; }
[ "$(field Package)" = marvono ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "version is $(field Version), not $VERSION"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is $(field Architecture)"
[ "$(basename "$DEB")" = "marvono_${VERSION}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$DEB")"
DEPENDS=$(field Depends)
# Computed from the executable by dpkg-shlibdeps: the libraries it links, each with a version.
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libsqlcipher0 libgsf-1-114 libzint2.11 libpq5 libc6 'libstdc\+\+6'; do
    grep -Eq "(^|, )$lib( \(>= [^)]+\))?(,|$)" <<<"$DEPENDS" || fail "Depends lacks $lib: $DEPENDS"
done
# Plugins are not seen by dpkg-shlibdeps: the icons need the SVG image plugin.
grep -Eq '(^|, )libqt6svg6(,|$)' <<<"$DEPENDS" || fail "Depends lacks libqt6svg6: $DEPENDS"

LIST=$(dpkg-deb --contents "$DEB" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }')
for path in \
    ./usr/lib/marvono/marvono ./usr/lib/marvono/system32.dll ./usr/lib/marvono/setup.dat \
    ./usr/lib/marvono/qexclient/pic/zw.jpg ./usr/lib/marvono/report/report.rpt \
    "./usr/bin/marvono -> ../lib/marvono/marvono" \
    ./usr/share/applications/marvono.desktop ./usr/share/metainfo/org.marvono.Marvono.metainfo.xml \
    ./usr/share/man/man1/marvono.1.gz ./usr/share/marvono/guide/index.html \
    "./usr/share/doc/marvono/guide -> ../../marvono/guide" \
    ./usr/bin/marvono-shopdb-init ./usr/bin/marvono-shopdb-move \
    ./usr/share/man/man1/marvono-shopdb-init.1.gz ./usr/share/man/man1/marvono-shopdb-move.1.gz \
    ./usr/share/marvono/guide/images/main.png \
    ./usr/share/doc/marvono/copyright ./usr/share/doc/marvono/changelog.gz ./usr/share/doc/marvono/README.md \
    ./usr/share/doc/marvono/shop-server.md; do
    grep -Fxq "$path" <<<"$LIST" || fail "missing $path"
done
for size in 16 22 24 32 48 64 128 256; do
    grep -Fxq "./usr/share/icons/hicolor/${size}x${size}/apps/marvono.png" <<<"$LIST" || fail "no ${size}px icon"
done
# Only the program, the two shop-server tools and their data: nothing outside /usr, no build
# tool, test or benchmark program.
grep -v -e '^\./$' -e '^\./usr/' <<<"$LIST" && fail "files outside /usr"
BUILD_ONLY=$(grep -E 'marvono-|tst_|bench_' <<<"$LIST" |
    grep -Ev '^\./usr/(bin|share/man/man1)/marvono-shopdb-(init|move)(\.1\.gz)?$' || true)
[ -z "$BUILD_ONLY" ] || fail "build-only files in the package: $BUILD_ONLY"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
dpkg-deb --extract "$DEB" "$WORK"
grep -qx 'Exec=/usr/lib/marvono/marvono' "$WORK/usr/share/applications/marvono.desktop" ||
    fail "desktop entry starts $(grep ^Exec= "$WORK/usr/share/applications/marvono.desktop")"
grep -rlI --exclude='*.png' "$(cd "$(dirname "$0")/../.." && pwd)" "$WORK" && fail "a build path is baked into the package"
for program in lib/marvono/marvono bin/marvono-shopdb-init bin/marvono-shopdb-move; do
    [[ $(file -L "$WORK/usr/$program") == *", stripped"* ]] || fail "$program is not stripped"
done
[ "$(cat "$WORK/usr/lib/marvono/qexclient/tables.dat")" = $'"Counter"\r' ] || fail "the buyer list is not Counter alone"
[ -f "$WORK/usr/share/doc/marvono/guide/index.html" ] || fail "the guide is not reached from /usr/share/doc/marvono"
grep -q '^\.TH "MARVONO" "1"' <<<"$(zcat "$WORK/usr/share/man/man1/marvono.1.gz")" || fail "manual page header"
echo "check_deb: $DEB is sound"
