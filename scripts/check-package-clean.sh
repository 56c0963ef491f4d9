#!/usr/bin/env bash
# Installs the Debian package on a fresh minimal Debian 12 and runs it there:
# proof that the package declares every dependency it needs. Not part of
# `make test`: it needs root, the network (Debian's mirror) and minutes.
#
# Usage: scripts/check-package-clean.sh [PACKAGE.deb] [WORK-FOLDER]
#   PACKAGE.deb  default build/zovograph_*.deb (`make package`)
#   WORK-FOLDER  default /var/tmp/zov-clean-deb12, outside the repository.
#                A pristine system is made there once (debootstrap, minbase)
#                and kept as base/; every check runs on a fresh copy, run/.
# The pictures of the window (offscreen, and on an X display when this machine
# has Xvfb) and of a captured family land in WORK-FOLDER.
set -euo pipefail

deb=${1:-$(ls build/zovograph_*.deb 2>/dev/null | tail -n 1)}
work=${2:-/var/tmp/zov-clean-deb12}
[ -f "$deb" ] || { echo "no package: run make package first" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap, chroot, mount)" >&2; exit 2; }
deb=$(readlink -f "$deb")

# The mirror apt already uses on this machine.
mirror=$(grep -rhoE '^(URIs:|deb) *https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
  grep -oE 'https?://[^ ]+' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

base=$work/base
root=$work/run
mkdir -p "$work"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || apt-get install -y debootstrap
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror"
fi
rm -rf "$root"
cp -a "$base" "$root"

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[$i]}" || umount -l "${mounted[$i]}"; done
}
trap cleanup EXIT
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --bind /dev "$root/dev" && mounted+=("$root/dev")
mount --bind /dev/pts "$root/dev/pts" && mounted+=("$root/dev/pts")  # the virtual module's pty
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"

in_root() { chroot "$root" env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb") on a minimal Debian 12"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")"

echo "== the installed programs"
in_root zov-cli --version
in_root zov --version
in_root env QT_QPA_PLATFORM=offscreen zov --snapshot /tmp/window.png --controls /tmp/window.json
cp "$root/tmp/window.png" "$work/window.png"
grep -q '"windowTitle": *"[^"]*\[DoNotErase.zov\]"' "$root/tmp/window.json" ||
  { echo "the window did not open the installed default project" >&2; exit 1; }
# A capture from the virtual module on a pseudo-terminal, drawn to a picture.
in_root bash -ec '
  mkfifo /tmp/sim
  zov-cli simulate --no-pacing >/tmp/sim 2>/tmp/sim.log & sim=$!
  read -r -t 10 port </tmp/sim
  zov-cli capture --port "$port" --start 0 --stop 4 --pitch 1 --vg2 0 --range 32 --wait-ms 50 --save /tmp/family.tdf
  kill $sim; wait $sim || true
  zov-cli render /tmp/family.tdf --out /tmp/family.png'
cp "$root/tmp/family.png" "$work/family.png"

# On an X display (this machine's Xvfb when it has one): the package's xcb
# platform plugin and everything it loads are there.
if command -v Xvfb >/dev/null; then
  display=:87
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
  for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" && mounted+=("$root/tmp/.X11-unix")
  status=0
  in_root env DISPLAY="$display" zov --snapshot /tmp/window-x11.png || status=$?
  kill "$xvfb"; wait "$xvfb" 2>/dev/null || true
  [ "$status" -eq 0 ] || { echo "zov did not start on an X display" >&2; exit 1; }
  cp "$root/tmp/window-x11.png" "$work/window-x11.png"
fi

echo "== run as root, the window keeps its recently-used file out of /usr/bin"
in_root env QT_QPA_PLATFORM=offscreen timeout 20 zov /usr/bin/DoNotErase.zov & window=$!
for _ in $(seq 200); do [ -f "$root/root/.config/zov/ZOV.mru" ] && break; sleep 0.1; done
kill "$window" 2>/dev/null || true
wait "$window" || true
[ -f "$root/root/.config/zov/ZOV.mru" ] || { echo "no ZOV.mru in ~/.config/zov" >&2; exit 1; }
[ ! -e "$root/usr/bin/ZOV.mru" ] || { echo "ZOV.mru was written into /usr/bin" >&2; exit 1; }

echo "package check passed; the window's picture: $work/window.png"
