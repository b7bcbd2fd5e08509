#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Quick when everything is already there: it only asks dpkg.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libcurl4-openssl-dev libpcre2-dev
          ffmpeg fonts-wqy-microhei libgtest-dev libcpp-httplib-dev libssl-dev
          zlib1g-dev)
if [ "${1:-}" = "--tests" ]; then
  packages+=(xvfb)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Run this command as root (or install them with: sudo apt-get install ${missing[*]})." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
