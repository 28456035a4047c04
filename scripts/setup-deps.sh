#!/usr/bin/env bash
# Installs the Debian packages Quillet needs to build, run and test.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libgl-dev qt6-translations-l10n
  libjpeg62-turbo-dev libturbojpeg0-dev libpng-dev zlib1g-dev libgif-dev libtiff-dev libheif-dev libwebp-dev libexif-dev libimagequant-dev liblcms2-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  cups cups-client cups-bsd libcups2-dev libicu-dev printer-driver-cups-pdf cups-filters
  cups-ipp-utils avahi-daemon dbus
  poppler-utils xvfb xauth
  fonts-noto-cjk fonts-arphic-ukai fonts-arphic-uming fonts-wqy-zenhei
  clang clang-format libclang-rt-14-dev
  locales
  librsvg2-bin desktop-file-utils appstream man-db dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Names are sorted in the user's locale; Chinese desktops run Quillet under
# zh_CN.UTF-8, so the locale is generated here for running and trying it.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8
fi
