#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is missing.
# As root it installs them; otherwise it prints the one command to run.
set -euo pipefail

packages=(
  cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 googletest clang libclang-rt-14-dev
  xvfb xdotool imagemagick locales zip tidy unicode-data default-jre-headless python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Locales the tests run Wine under: en-US behaviour from C.UTF-8, and German for
# separators of another kind.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
  else
    echo "bootstrap: the de_DE.UTF-8 locale is missing; as root: locale-gen de_DE.UTF-8" >&2
  fi
fi

# The HTML checker the listing tests run (the npm package vnu-jar; the machine's
# Java runs it), kept in the build tree.
root=$(cd "$(dirname "$0")/.." && pwd)
vnu_jar=$root/build/vnu/node_modules/vnu-jar/build/dist/vnu.jar
if [ ! -f "$vnu_jar" ]; then
  if command -v npm >/dev/null; then
    mkdir -p "$root/build/vnu"
    npm install --prefix "$root/build/vnu" --no-audit --no-fund vnu-jar >/dev/null 2>&1 ||
      echo "bootstrap: could not install the HTML checker (npm install vnu-jar)" >&2
  else
    echo "bootstrap: npm is missing, so the HTML checker (vnu-jar) cannot be installed" >&2
  fi
fi
