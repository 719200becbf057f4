#!/usr/bin/env bash
# Installs, from Debian's archive, the packages a job needs and the machine
# lacks. Usage: install-deps.sh JOB...   JOB is build, test, bench, fuzz,
# desktop or e2e. Nothing comes from anywhere but apt.
set -euo pipefail

declare -A packages=(
  [build]="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev fonts-dejavu-core"
  [test]="googletest libgtest-dev"
  [bench]="libbenchmark-dev"
  [fuzz]="clang libclang-rt-dev"
  [desktop]="desktop-file-utils appstream"
  [e2e]="xvfb xauth openbox xdotool x11-utils imagemagick"
)

wanted=()
for job in "$@"; do
  [[ -n "${packages[$job]+set}" ]] || { echo "install-deps.sh: unknown job '$job'" >&2; exit 2; }
  for pkg in ${packages[$job]}; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      wanted+=("$pkg")
    fi
  done
done
[[ ${#wanted[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps.sh: need root (or sudo) to install: ${wanted[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "Installing from Debian: ${wanted[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${wanted[@]}"
