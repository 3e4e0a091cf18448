#!/usr/bin/env bash
# zelvaro on a private session bus: registration, activation by the bus,
# the automation tests of a client (automation_tests), a server without a
# data file, unregistration.
set -euo pipefail
zelvaro=$1  # the program under test
client=$2   # automation_tests
work=$(mktemp -d)
bus_pid=""
# The bus and the programs it started.
stop_bus() {
  [ -z "$bus_pid" ] || { pkill -P "$bus_pid" 2>/dev/null; kill "$bus_pid" 2>/dev/null; } || true
  bus_pid=""
}
trap 'stop_bus; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export ZELVARO="$zelvaro" QT_QPA_PLATFORM=offscreen
# The online BIC test must not leave the machine.
export ZELVARO_BIC_URL="http://127.0.0.1:1/biconline/index.cfm"
# Qt keeps some memory to the end of the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

# start_bus: a session bus whose activation looks in $XDG_DATA_HOME/dbus-1/services.
start_bus() {
  local out
  out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$out")
  bus_pid=$(sed -n 2p <<<"$out")
  export DBUS_SESSION_BUS_ADDRESS
}

"$zelvaro" /REGSERVER || fail "regserver"
service="$XDG_DATA_HOME/dbus-1/services/org.zelvaro.Bank.service"
grep -qx "Exec=$zelvaro -embedding" "$service" || fail "service file: $(cat "$service")"
for i in Factory IZelProbe IZelArbeit IZelSwift IZelUpdate IZelDtaus IZelRead IZelSepa; do
  [ -f "$XDG_DATA_HOME/dbus-1/interfaces/org.zelvaro.Bank.$i.xml" ] || fail "no XML of $i"
done
"$zelvaro" --version | grep -q "^Zelvaro .* - Software zum Prüfen von Bankverbindungen$" ||
  fail "--version"

start_bus
"$client" --gtest_filter='Automation.*:Lifetime.*' || fail "automation tests"
stop_bus

# A server without a data file.
mkdir -p "$work/empty"
ZELVARO_DATA_DIR="$work/empty" start_bus
ZELVARO_DATA_DIR="$work/empty" "$client" --gtest_filter='NoDataFile.*' || fail "without data file"
stop_bus

"$zelvaro" -unregserver || fail "unregserver"
[ ! -e "$service" ] || fail "service file left"
echo "bus: passed"
