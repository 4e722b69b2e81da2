#!/usr/bin/env bash
# Unpacks a Velunda .deb into a scratch root (dpkg -x, no installation) and checks what it
# holds: both programs, the help pages, the menu entry (desktop-file-validate), the AppStream
# file and the icon, and that the unpacked velunda-cli starts. Usage: scripts/check-package.sh DEB
set -euo pipefail
deb=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"

fail() { echo "check-package: $*" >&2; exit 1; }
entry=$root/usr/share/applications/org.velunda.Velunda.desktop
for f in usr/bin/velunda usr/bin/velunda-cli usr/share/velunda/help/1000.html \
         usr/share/applications/org.velunda.Velunda.desktop \
         usr/share/metainfo/org.velunda.Velunda.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/velunda.svg \
         usr/share/icons/hicolor/16x16/apps/velunda.png \
         usr/share/icons/hicolor/256x256/apps/velunda.png; do
  [ -e "$root/$f" ] || fail "missing in the package: /$f"
done
[ -x "$root/usr/bin/velunda" ] && [ -x "$root/usr/bin/velunda-cli" ] || fail "programs not executable"

# The entry must validate without a single remark, and start the program it installs.
remarks=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $remarks"
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$root/usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not in /usr/bin"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.velunda.Velunda.metainfo.xml" >&2
fi

# The unpacked companion starts, and as an installed program it keeps its data in the user's
# folder, not beside itself.
home=$scratch/home
mkdir -p "$home"
help=$(env -u XDG_DATA_HOME HOME="$home" "$root/usr/bin/velunda-cli" --help)
grep -q "$home/.local/share/Velunda/Database" <<<"$help" \
  || fail "velunda-cli --help names no per-user database: $help"

echo "Package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
