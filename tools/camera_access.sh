#!/usr/bin/env bash
# Lets the player logged in at the seat open the PS3 Eye: installs the udev rule of
# tools/udev/ into /etc/udev/rules.d, reloads udev's rules and applies them to a camera that
# is already plugged in. Needs root:  sudo bash tools/camera_access.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rule=70-skytapper-ps3eye.rules
if [ "$(id -u)" -ne 0 ]; then
  echo "Error: installing the camera rule /etc/udev/rules.d/$rule needs root: sudo bash $0" >&2
  exit 1
fi
install -m 0644 "$here/udev/$rule" "/etc/udev/rules.d/$rule"
echo "camera_access: installed /etc/udev/rules.d/$rule"
if ! udevadm control --reload-rules; then
  echo "Warning: udev is not running here; the rule applies from its next start" >&2
  exit 0
fi
udevadm trigger --action=change --subsystem-match=usb --attr-match=idVendor=1415 --attr-match=idProduct=2000
udevadm settle
echo "camera_access: rules reloaded; a PS3 Eye plugged in now opens for the logged-in player"
