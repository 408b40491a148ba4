#!/usr/bin/env bash
# Installs, from Debian's packages, everything that building, testing and benchmarking need.
# Safe to run again: when every package is present it only checks and returns.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev libgl-dev
    libasound2-dev
    jackd2 libjack-jackd2-dev
    libasound2-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev
    fonts-dejavu-core
    xvfb xauth imagemagick
    sox
    libsoxr-dev
    clang libclang-rt-14-dev clang-format
    desktop-file-utils appstream dpkg-dev file groff-base
    alsa-utils time
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo -n)
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to give the audio group realtime priority; the tests run the server
# without it, and a build machine has no business changing its limits.
echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
