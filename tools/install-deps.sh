#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# Runs apt-get as root, or through sudo; says so plainly when neither is possible.
set -euo pipefail

missing=()
for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
else
    echo "error: these Debian packages are missing: ${missing[*]}" >&2
    echo "error: installing them needs root; run this script as root, or give this user sudo rights," >&2
    echo "error: or install them yourself: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q </dev/null
"${as_root[@]}" apt-get install -y --no-install-recommends -q "${missing[@]}" </dev/null
