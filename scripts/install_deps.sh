#!/usr/bin/env bash
# Installs what building and testing Brimwell needs, with apt-get, when it is missing.
# Safe to run again: installed packages are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config ccache
  qt6-base-dev libgl-dev
  libicu-dev libcli11-dev nlohmann-json3-dev libgtest-dev googletest libbenchmark-dev hyperfine
  locales xfsprogs btrfs-progs ntfs-3g parted qemu-utils
  xauth xvfb fonts-dejavu-core
  dpkg-dev lintian desktop-file-utils appstream bash-completion man-db
  xdg-utils shared-mime-info libfile-mimeinfo-perl
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
