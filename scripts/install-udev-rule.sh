#!/usr/bin/env bash
# Installs the udev rule that lets users open FTDI chips without root, then has
# udev apply it to chips already plugged in. Uses sudo when not run as root.
# UDEV_RULES_DIR installs elsewhere (default /etc/udev/rules.d).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rule="$root/d2xx/udev/60-kestrom-ftdi.rules"
dest=${UDEV_RULES_DIR:-/etc/udev/rules.d}

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
"${sudo[@]}" install -D -m 0644 "$rule" "$dest/$(basename "$rule")"
echo "installed $dest/$(basename "$rule")"

if command -v udevadm >/dev/null 2>&1; then
  # Not fatal: udevd may not run here (a container); the rule still applies at the next boot.
  "${sudo[@]}" udevadm control --reload-rules || echo "udev did not reload its rules; replug the device or reboot"
  "${sudo[@]}" udevadm trigger --subsystem-match=usb --attr-match=idVendor=0403 || true
else
  echo "udevadm not found: the rule applies once udev runs"
fi
