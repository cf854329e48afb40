# Shared by scripts/run and scripts/test: install what is missing, then build.
set -euo pipefail

QUELBRIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

QUELBRIN_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev libbenchmark-dev nlohmann-json3-dev rapidjson-dev
  libmount-dev libblkid-dev libmimalloc-dev
  libwxgtk3.2-dev xvfb xauth fonts-liberation2
  g++-mingw-w64-x86-64
  # The live device tests: partitioning, filesystems, FUSE mounts.
  util-linux fdisk xfsprogs btrfs-progs ntfs-3g exfatprogs exfat-fuse dosfstools
  # Installing: the man pages made from --help, the icon's pictures, and the
  # Debian package's dependencies (dpkg-shlibdeps).
  help2man librsvg2-bin dpkg-dev
)
# Only the tests need these: the HTML report is rendered and checked in a real
# browser and validated with tidy; printed pages are read back as text and
# pictures with poppler's tools; the installed package's desktop entry,
# metainfo, man pages and completion are checked with the desktop's own
# validators, groff and bash-completion.
QUELBRIN_TEST_PACKAGES=(chromium tidy python3 poppler-utils
  desktop-file-utils appstream groff-base bash-completion)

# quelbrin_install_packages [PACKAGE...]: those given, else QUELBRIN_PACKAGES.
quelbrin_install_packages() {
  local wanted=("$@") missing=()
  [ ${#wanted[@]} -eq 0 ] && wanted=("${QUELBRIN_PACKAGES[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# quelbrin_build DIR [cmake options...]
quelbrin_build() {
  local dir="$1"; shift
  cmake -S "$QUELBRIN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBRIN_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "${QUELBRIN_JOBS:-2}"
}
