#!/usr/bin/env bash
# The newcomer's run command: installs what is needed, builds, starts the
# local Firebird server, makes a fresh demo installation of Quendal at the
# updater's default location (version 5: the sample database in DB_Data, the
# old client files in Program, and a registry hive that points at the
# server), and opens the updater on it. Without a display it runs the same
# update on the command line and prints what the operator would see.
# Run again, it starts from a fresh demo installation.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

LOCATION=/opt/NJX/Quendal # the updater's default program location
PASSWORD=kelmorinta       # its default password, SYSDBA's on the local server
PORT=3051
MARKER=.made-by-run-demo # only a folder carrying it is ever removed

# The sample release: what a version-5 installation holds.
OLD_CLIENT=resources/installed # Quendal.exe and Quendal.chm of version 5
DATABASE_SCRIPT=resources/installed/database.sql
NEW_CLIENT=resources/release # what the update brings

log() { printf 'run-demo: %s\n' "$*"; }
fail() {
  printf 'run-demo: %s\n' "$*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root: it installs packages, starts the Firebird server and writes $LOCATION"

bash scripts/install-deps.sh
bash scripts/firebird-server.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"

updater=$root/build/bin/Updater_Quendal
tool=$root/build/bin/updater-tool
for file in "$updater" "$tool" "$DATABASE_SCRIPT" "$OLD_CLIENT/Quendal.exe" "$OLD_CLIENT/Quendal.chm"; do
  [ -e "$file" ] || fail "$file is missing from the build or the sample release"
done

# The folder of the Firebird server: the registry names the server program in
# a "bin" folder below it, as a Windows installation does.
firebird_folder() {
  local engine
  engine=$(find /usr/lib -path '*/firebird/3.0/plugins/libEngine12.so' -print -quit)
  [ -n "$engine" ] || fail "the Firebird 3 server is not installed"
  dirname "$(dirname "$engine")"
}

remove_old_demo() {
  [ -e "$LOCATION" ] || return 0
  [ -e "$LOCATION/$MARKER" ] || fail "$LOCATION exists and was not made by this script: move it away first"
  log "removing the previous demo installation"
  rm -rf "$LOCATION"
}

isql() { isql-fb -q -b -user SYSDBA -password "$PASSWORD" "$@"; }

make_installation() {
  log "making a demo installation of version 5 at $LOCATION"
  mkdir -p "$LOCATION/Program" "$LOCATION/DB_Data"
  touch "$LOCATION/$MARKER"
  cp "$OLD_CLIENT/Quendal.exe" "$OLD_CLIENT/Quendal.chm" "$LOCATION/Program/"
  # The server runs as firebird and creates the database file itself.
  chown firebird:firebird "$LOCATION/DB_Data"
  local script
  script=$(mktemp)
  {
    printf "SET SQL DIALECT 3;\n"
    printf "CREATE DATABASE 'localhost/%s:%s' PAGE_SIZE 4096 DEFAULT CHARACTER SET WIN1251;\n" \
      "$PORT" "$LOCATION/DB_Data/Quendal.fdb"
    cat "$DATABASE_SCRIPT"
    printf "\nCOMMIT;\n"
  } >"$script"
  isql -ch WIN1251 -i "$script" >/dev/null
  rm -f "$script"
}

# The registry as the updater reads it: a REGEDIT4 hive (CP1251; ours is ASCII)
# with the service key of the Firebird server.
write_hive() {
  local hive=$1 folder
  folder=$(firebird_folder)
  mkdir -p "$(dirname "$hive")"
  printf '%s\r\n' \
    'REGEDIT4' \
    '' \
    '[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\TarventFireXBirdServer]' \
    "\"ImagePath\"=\"$folder/bin/fbguard -p $PORT\"" \
    '' >"$hive"
}

# Succeeds when the installation's client files are those of that folder.
client_files_of() {
  cmp -s "$LOCATION/Program/Quendal.exe" "$1/Quendal.exe" &&
    cmp -s "$LOCATION/Program/Quendal.chm" "$1/Quendal.chm"
}

# What the installation holds now: the version its database records, and
# which release its client files come from.
show_installation() {
  local version client=mixed
  version=$(isql -ch WIN1251 "localhost/$PORT:$LOCATION/DB_Data/Quendal.fdb" \
    <<<"SET HEADING OFF; SELECT MAX(VERSIO_NO) FROM VERSIO;" | tr -d '[:space:]') || version="?"
  if client_files_of "$NEW_CLIENT"; then
    client=6
  elif client_files_of "$OLD_CLIENT"; then
    client=5
  fi
  log "the installation now: database version $version, client files of version $client"
}

remove_old_demo
make_installation
show_installation
hive=$root/build/demo/registry.reg
write_hive "$hive"
export UPDATER_REGISTRY=$hive

if [ -n "${DISPLAY:-}" ]; then
  log "opening the updater; press Start (the location and the password are already filled in)"
  "$updater"
else
  log "no display (DISPLAY is not set), so no window: running the same update on the command line"
  log "\$ updater-tool update $LOCATION $PASSWORD --answer yes"
  "$tool" update "$LOCATION" "$PASSWORD" --answer yes --program "$updater"
fi
show_installation
