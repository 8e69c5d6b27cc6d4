#!/usr/bin/env bash
# Builds the Windows packages from the cross build:
#
#   scripts/package.sh [--version X.Y.Z] [--out DIR] [--no-build] [--exe-dir DIR]
#
#   DIR/pictorn-<version>-x64.msi            per-user installer (wixl, Debian's msitools)
#   DIR/pictorn-<version>-x64-portable.zip   pictorn.exe, pictorn.wav, readme.txt, licence.txt
#
# The version is the one in the top CMakeLists.txt unless --version names another (the
# installer tests make a "newer" package that way). DIR defaults to build/packages.
# Without --no-build the program is built first (build/win, via scripts/setup.sh); --exe-dir
# takes pictorn.exe and pictorn.wav from another folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PICTORN_BUILD_DIR:-$ROOT/build}"
OUT="$BUILD/packages"
VERSION=""
BUILD_FIRST=1
EXE_DIR="$BUILD/win/src"

while (($#)); do
    case "$1" in
    --version) VERSION="$2"; shift 2 ;;
    --out) OUT="$2"; shift 2 ;;
    --no-build) BUILD_FIRST=0; shift ;;
    --exe-dir) EXE_DIR="$2"; shift 2 ;;
    *) echo "usage: $0 [--version X.Y.Z] [--out DIR] [--no-build] [--exe-dir DIR]" >&2; exit 2 ;;
    esac
done

if [[ -z "$VERSION" ]]; then
    VERSION="$(sed -n 's/^project(Pictorn VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"
fi
if [[ ! "$VERSION" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "package: no usable version (got '$VERSION')" >&2
    exit 1
fi

if ((BUILD_FIRST)); then
    # shellcheck source=SCRIPTDIR/setup.sh
    source "$ROOT/scripts/setup.sh"
    setup_build win pictorn >&2
fi
for file in pictorn.exe pictorn.wav; do
    [[ -f "$EXE_DIR/$file" ]] || { echo "package: missing $EXE_DIR/$file" >&2; exit 1; }
done
command -v wixl >/dev/null || { echo "package: wixl missing (apt-get install wixl)" >&2; exit 1; }
command -v msibuild >/dev/null || { echo "package: msibuild missing (apt-get install msitools)" >&2; exit 1; }
command -v zip >/dev/null || { echo "package: zip missing (apt-get install zip)" >&2; exit 1; }

mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
MSI="$OUT/pictorn-$VERSION-x64.msi"
ZIP="$OUT/pictorn-$VERSION-x64-portable.zip"

STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT
mkdir "$STAGE/Pictorn"
cp "$EXE_DIR/pictorn.exe" "$EXE_DIR/pictorn.wav" "$ROOT/resources/readme.txt" \
    "$ROOT/packaging/licence.txt" "$STAGE/Pictorn/"
cp "$ROOT/resources/pictorn.ico" "$ROOT/packaging/pictorn.wxs" "$STAGE/"

# wixl resolves sources relative to the working folder and refuses absolute ones. It warns
# that it ignores InstallPrivileges; the package is per-user all the same.
(cd "$STAGE" && wixl -a x64 -D "Version=$VERSION" -o "$MSI" pictorn.wxs) 2>"$STAGE/wixl.log" || {
    cat "$STAGE/wixl.log" >&2
    exit 1
}
# A rebuild of the same version must replace the installed one, not install beside it (each
# build has a product code of its own). wixl ignores AllowSameVersionUpgrades, so the upgrade
# row's maximum version is made inclusive here (0x200, VersionMaxInclusive, beside wixl's 1,
# migrate feature states). The attributes are part of the Upgrade table's key, which SQL
# cannot update: the table is imported again instead.
mkdir "$STAGE/tables"
msiinfo export "$MSI" Upgrade |
    sed 's/\t1\t\([^\t]*\)\tWIX_UPGRADE_DETECTED\(\r\?\)$/\t513\t\1\tWIX_UPGRADE_DETECTED\2/' \
        >"$STAGE/tables/Upgrade.idt"
(cd "$STAGE/tables" && msibuild "$MSI" -i Upgrade.idt)
UPGRADE="$(msiinfo export "$MSI" Upgrade)"
grep -q $'\t513\t[^\t]*\tWIX_UPGRADE_DETECTED' <<<"$UPGRADE" || {
    echo "package: the upgrade row of $MSI could not be made to include its own version" >&2
    exit 1
}
rm -f "$ZIP"
(cd "$STAGE" && zip -q -X -r "$ZIP" Pictorn)

echo "$MSI"
echo "$ZIP"
