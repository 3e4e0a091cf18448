#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Zelvaro needs.
# Idempotent: installs only what is missing. Runs apt as root, or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libzstd-dev libssl-dev libcurl4-openssl-dev libzip-dev qt6-translations-l10n
  libxerces-c-dev unixodbc-dev unixodbc libsqliteodbc odbc-postgresql tdsodbc
  postgresql sqlite3
  qt6-base-dev dbus-daemon libglib2.0-bin desktop-file-utils appstream lintian
  help2man dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
