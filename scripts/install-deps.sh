#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zarvo need.
# Idempotent: asks apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libjpeg62-turbo-dev libx11-dev libxtst-dev
  xvfb xauth xdotool x11-xkb-utils x11-utils xclip imagemagick
  weston qt6-wayland
  fonts-dejavu-core
  clang libclang-rt-14-dev clang-format clang-tidy
  python3
  # The ready dictionaries are made from these texts and word lists.
  fortunes-ru manpages-ru hunspell-ru hunspell-tools fortunes fortunes-min manpages wamerican-huge
  # Icons, manual pages, Qt's own translations, and the tools that judge the installed files.
  librsvg2-bin scdoc qt6-translations-l10n desktop-file-utils appstream man-db groff-base dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
