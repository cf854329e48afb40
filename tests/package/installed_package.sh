#!/usr/bin/env bash
# Makes the Debian package of a build, unpacks it into a scratch root and
# checks what a desktop finds there: the programs run from where they were
# installed, the desktop entry and metainfo validate and lead to an installed
# program and icon, the man pages render every option of --help, and the
# shell completes commands, options and node paths through the installed
# program.
#   installed_package.sh BUILD_DIR CLI_IN_BUILD GUI_BUILT(0|1) APP_ID VERSION
# Exit 77 (skipped) where a Debian tool it needs is missing.
set -uo pipefail

build=$1 built_cli=$2 gui=$3 app_id=$4 version=$5

for tool in cpack dpkg-deb dpkg-shlibdeps help2man groff; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
if [ "$gui" = 1 ]; then
  for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
  done
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The package, as scripts/package makes it, into the scratch folder.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(ls "$scratch"/out/*.deb)
root="$scratch/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }
usr="$root/usr"

# The libraries the programs link come from dpkg-shlibdeps, not a hand-kept list.
depends=$(dpkg-deb -f "$deb" Depends)
libs=(libc6 libmount1 libblkid1)
# The allocator, where the build links it (not under the sanitizers).
readelf -d "$built_cli" | grep -q 'NEEDED.*libmimalloc' && libs+=(libmimalloc2.0)
for lib in "${libs[@]}"; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
[ "$gui" = 1 ] && { [[ $depends == *libwxgtk* ]] || fail "Depends lacks the toolkit: $depends"; }
[ -s "$usr/share/doc/quelbrin/copyright" ] || fail "no copyright file"

# The installed terminal program, on an installed sample: the same tree as the
# program of the build.
cli="$usr/bin/quelbrin-cli"
[ "$("$cli" --version)" = "quelbrin-cli $version" ] || fail "quelbrin-cli --version: $("$cli" --version)"
sample="$usr/share/doc/quelbrin/examples/workstation.json"
installed_tree=$("$cli" --machine "$sample" tree 2>/dev/null) || fail "installed quelbrin-cli --machine $sample tree"
[ -n "$installed_tree" ] && [ "$installed_tree" = "$("$built_cli" --machine "$sample" tree 2>/dev/null)" ] ||
  fail "the installed program's tree differs from the build's"

# Each option and command of --help is on the man page, and the page renders
# without a complaint.
man_page_covers_help() {
  local program=$1 page="$usr/share/man/man1/$1.1.gz" name
  [ -f "$page" ] || { fail "no man page $page"; return; }
  local warnings
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$program.1: $warnings"
  local text
  text=$(zcat "$page" | groff -man -Tascii -P-cbou 2>/dev/null | tr -s ' \n' '  ')
  while read -r name; do
    [[ $text == *" $name"* ]] || fail "$program.1 lacks $name of --help"
  done < <("$usr/bin/$program" --help | grep -oE '^  (-[a-zA-Z], )?--?[a-z][a-z-]*|^  [a-z]+ ' |
           sed -E 's/^  (-[a-zA-Z], )?//; s/ $//')
}
man_page_covers_help quelbrin-cli

# Completion through the installed program, as the shell asks for it: the
# words so far, separated by ";", the one being completed last, as typed.
completions() {
  PATH="$usr/bin:$PATH" bash -c '
    [ -f /usr/share/bash-completion/bash_completion ] && source /usr/share/bash-completion/bash_completion
    source "$0"
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _quelbrin_cli
    printf "%s\n" "${COMPREPLY[@]}"' "$usr/share/bash-completion/completions/quelbrin-cli" "$@"
}
while IFS='|' read -r line expected; do
  IFS=';' read -r -a words <<<"${line//SAMPLE/$sample}"
  [ "${line: -1}" = ';' ] && words+=('')
  got=$(completions "${words[@]}" | LC_ALL=C sort | paste -sd,)
  [ "$got" = "$expected" ] || fail "completing '$line': got '$got', expected '$expected'"
done <<'CASES'
quelbrin-cli;--mach|--machine
quelbrin-cli;t|tree
quelbrin-cli;--machine;SAMPLE;report;-|--all-mount-points,--help,--machine,--output,--root,--svg,--version,-h,-o
quelbrin-cli;--machine;SAMPLE;show;Adapters/U|Adapters/UsbStorage,Adapters/UsbStorage/
quelbrin-cli;--machine;SAMPLE;show;Adapters/UsbStorage/|Adapters/UsbStorage/Usb Disk
quelbrin-cli;--machine;SAMPLE;show;'Physical Disks/PhysicalDrive0/DP(1|Physical Disks/PhysicalDrive0/DP(1)100000-1f400000#1,Physical Disks/PhysicalDrive0/DP(1)100000-1f400000#2
quelbrin-cli;--machine;SAMPLE;show;'Mountpoints/\DosDevices\C:/Disk|Mountpoints/\DosDevices\C:/Disk Extent 0 1f500000-3200000000,Mountpoints/\DosDevices\C:/Disk Extent 0 1f500000-3200000000/
quelbrin-cli;--machine;SAMPLE;show;Mountpoints/\\??\\Volume{9|
quelbrin-cli;--all-mount-points;--machine;SAMPLE;show;Mountpoints/\\??\\Volume{9|Mountpoints/\??\Volume{9d8c7b6a-5f4e-4d3c-8b2a-1f0e9d8c7b6a},Mountpoints/\??\Volume{9d8c7b6a-5f4e-4d3c-8b2a-1f0e9d8c7b6a}/
quelbrin-cli;--machine;SAMPLE;show;Adapters/Scsi2;|
CASES

if [ "$gui" = 1 ]; then
  man_page_covers_help quelbrin

  # The desktop entry starts a program of the package, with an icon of it.
  entry="$usr/share/applications/$app_id.desktop"
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
  for key in Exec TryExec; do
    program=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
    [ -n "$program" ] && [ -x "$usr/bin/$program" ] || fail "$key=$program is no installed program"
  done
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
  for size in 16 22 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    # Width and height are the PNG header's two big-endian 32-bit numbers at byte 16.
    read -r -a b < <(od -An -tu1 -j16 -N8 "$png" 2>/dev/null)
    [ "${#b[@]}" -eq 8 ] && [ $(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3])) -eq "$size" ] &&
      [ $(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7])) -eq "$size" ] || fail "$png is not $size by $size"
  done

  metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"

  # The help book lies where the program looks for it from /usr/bin.
  [ -f "$usr/share/quelbrin/help/quelbrin.hhp" ] || fail "no help book"
  "$usr/bin/quelbrin" --version | grep -qx "quelbrin $version" || fail "quelbrin --version"
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "the package installs and runs"
