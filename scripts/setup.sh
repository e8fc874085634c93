#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is
# missing, then configures and builds into build/ (or $QUORVANE_BUILD_DIR).
# Everything it prints goes to standard error, so that `./run ARGS` keeps
# standard output for zvk alone.
set -euo pipefail
exec 3>&1 1>&2
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$root/build}

packages=(
  g++ cmake ninja-build pkg-config          # the tool chain
  libgtest-dev libgmock-dev                 # tests
  libcli11-dev                              # zvk's arguments
  qt6-base-dev                              # the window
  fonts-wqy-microhei                        # the window's Chinese texts
  xvfb xauth openbox xdotool x11-utils      # the window tests under a real X server
  desktop-file-utils libxml2-utils shared-mime-info libglib2.0-bin groff-base  # the installed desktop files
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; run this as root, or install them: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja ${QUORVANE_CMAKE_ARGS:-}
fi
# Builds only when something changed, so that ./run stays quiet otherwise.
if ! cmake --build "$build" -- -n 2>/dev/null | grep -q '^ninja: no work to do'; then
  cmake --build "$build"
fi
