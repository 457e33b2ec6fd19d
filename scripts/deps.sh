# Sourced by run.sh and test.sh: installs the Debian packages Kestrix needs to
# build, run and test, and nothing when they are all present.

KESTRIX_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libutf8proc-dev libexiv2-dev libtag1-dev
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-translations-l10n zlib1g-dev
  fonts-liberation2 fonts-dejavu-core
)
KESTRIX_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev clang-format
  xvfb xauth xdotool x11-utils imagemagick openbox wmctrl libxcb1-dev
  dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
  exfatprogs exfat-fuse fuse3 bindfs dosfstools
  desktop-file-utils appstream shared-mime-info man-db lintian dpkg-dev file
  libimage-exiftool-perl
)

kestrix_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}
