#!/usr/bin/env bash
# Installs the Debian packages Tessaron needs, if any are missing: to build and play with
# "setup.sh play", and to build, test and benchmark it too without an argument. As root
# it installs them; as anyone else it prints the command to run.
set -euo pipefail

# The benchmarks' peers come with what they need to run, because the install below leaves
# out recommended packages: djpeg is in libjpeg-turbo-progs; wmf2gd is in libwmf-bin, and
# libwmf refuses every metafile unless it finds the URW base fonts (fonts-urw-base35),
# which it only recommends. gio (libglib2.0-bin) opens a picture with the game as a file
# manager does, telling its type through shared-mime-info. qt6-translations-l10n gives the
# message boxes' standard buttons in Spanish.
packages=(g++ make cmake ninja-build qt6-base-dev qt6-translations-l10n libjpeg62-turbo-dev
    fonts-dejavu-core)
if [ "${1:-test}" != play ]; then
    packages+=(libgtest-dev libbenchmark-dev libjpeg-turbo-progs xvfb xauth xdotool x11-utils
        openbox imagemagick libwmf-bin fonts-urw-base35 appstream desktop-file-utils dpkg-dev
        libglib2.0-bin shared-mime-info)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Tessaron needs these Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
