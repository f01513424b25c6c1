#!/bin/sh
# Installs the Debian packages the build needs (run, not sourced: dash's "."
# passes no arguments, so a sourced copy saw an empty list and installed nothing).
# usage: scripts/setup.sh PACKAGE...
set -eu
brenvo_missing=""
for brenvo_pkg in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$brenvo_pkg" 2>/dev/null | grep -q "install ok installed"; then
    brenvo_missing="$brenvo_missing $brenvo_pkg"
  fi
done
if [ -n "$brenvo_missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    echo "installing:$brenvo_missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $brenvo_missing >/dev/null
  else
    echo "missing packages; install them with:"
    echo "  sudo apt-get install$brenvo_missing"
    exit 1
  fi
fi
