#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need on Debian 12.
# Idempotent: a machine that has everything is left alone (no apt-get update).
# Writes build/windows-flavour: "win32" normally, "win64" when 32-bit Wine could
# not be installed and the Windows tests must run as a 64-bit build instead.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_install() { "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }

native_packages=(
  build-essential cmake make git pkg-config ca-certificates
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
  libpugixml-dev librapidxml-dev libexpat1-dev libxml2-dev libtinyxml2-dev
  libcurl4-openssl-dev libcpp-httplib-dev libssl-dev openssl
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  xvfb xauth x11-apps imagemagick
)
# fonts-liberation: the metric twins of the Windows fonts the pages ask for;
# without them Wine falls back to whatever the machine has and pictures differ.
wine32_packages=(wine wine32:i386 libgstreamer-plugins-base1.0-0:i386 fonts-liberation)
wine64_packages=(wine wine64 fonts-liberation g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)

missing() {
  local out=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || out+=("$p")
  done
  printf '%s\n' "${out[@]}"
}

updated=0
apt_update_once() {
  if [ "$updated" -eq 0 ]; then "${sudo_cmd[@]}" apt-get update -q; updated=1; fi
}

mapfile -t need < <(missing "${native_packages[@]}" | sed '/^$/d')
if [ "${#need[@]}" -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  apt_update_once
  apt_install "${need[@]}"
fi

# A 93-byte static i386 program that only exits with 0: a kernel built without
# 32-bit support refuses it, and 32-bit Wine could never run there.
runs_i386_programs() {
  local probe=build/i386-probe rc=0
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  return "$rc"
}

mkdir -p build
flavour=win32
reason=
if [ "${KIVO_WINDOWS_FLAVOUR:-}" = win64 ]; then
  flavour=win64
  reason="KIVO_WINDOWS_FLAVOUR=win64 asks for the fallback"
elif ! runs_i386_programs; then
  flavour=win64
  reason="this machine does not run 32-bit programs (its kernel lacks 32-bit support)"
else
  mapfile -t need < <(missing "${wine32_packages[@]}" | sed '/^$/d')
  if [ "${#need[@]}" -gt 0 ]; then
    echo "setup: installing 32-bit Wine (${need[*]})"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo_cmd[@]}" dpkg --add-architecture i386
      updated=0
    fi
    apt_update_once
    if ! apt_install -t bookworm "${wine32_packages[@]}"; then
      flavour=win64
      reason="32-bit Wine could not be installed on this machine"
    fi
  fi
fi

if [ "$flavour" = win64 ]; then
  echo "================================================================================"
  echo "setup: $reason."
  echo "setup: FALLING BACK to 64-bit Wine: the Windows tests run as an x86_64 build."
  echo "setup: the shipped i686 KivoRss.dll is still built and its exports checked, but not executed."
  echo "================================================================================"
  mapfile -t need < <(missing "${wine64_packages[@]}" | sed '/^$/d')
  if [ "${#need[@]}" -gt 0 ]; then
    apt_update_once
    apt_install "${need[@]}"
  fi
fi
echo "$flavour" > build/windows-flavour
echo "setup: ready (Windows tests: $flavour)"
