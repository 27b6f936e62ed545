#!/usr/bin/env bash
# Installs (when missing) and starts the local Firebird 3 server that the tests
# and the demo use: loopback only, port 3051, SYSDBA password "kelmorinta".
# Safe to run again: a running, configured server is left as it is.
set -euo pipefail

PORT=3051
PASSWORD=kelmorinta
CONF=/etc/firebird/3.0/firebird.conf
PWFILE=/etc/firebird/3.0/SYSDBA.password

log() { printf 'firebird-server: %s\n' "$*"; }

install_packages() {
  local missing=()
  for pkg in firebird3.0-server firebird3.0-utils firebird-dev libfbclient2; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q "${missing[@]}" >/dev/null
}

configure_port() {
  if grep -Eq "^[[:space:]]*RemoteServicePort[[:space:]]*=[[:space:]]*${PORT}[[:space:]]*$" "$CONF"; then
    return 1
  fi
  sed -i -E '/^[[:space:]]*RemoteServicePort[[:space:]]*=/d' "$CONF"
  printf '\nRemoteServicePort = %s\n' "$PORT" >>"$CONF"
  return 0
}

server_running() { pgrep -x firebird >/dev/null 2>&1; }

stop_server() {
  pkill -x fbguard 2>/dev/null || true
  pkill -x firebird 2>/dev/null || true
  for _ in $(seq 50); do server_running || return 0; sleep 0.1; done
  pkill -9 -x firebird 2>/dev/null || true
}

start_server() {
  mkdir -p /run/firebird3.0
  chown firebird:firebird /run/firebird3.0
  su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
}

# Succeeds when the server accepts SYSDBA with this password.
password_works() {
  fbsvcmgr "localhost/${PORT}:service_mgr" -user SYSDBA -password "$1" \
    -info_server_version >/dev/null 2>&1
}

wait_for_server() {
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/${PORT}") 2>/dev/null; then return 0; fi
    sleep 0.2
  done
  log "the server does not accept connections on port ${PORT}"
  return 1
}

set_password() {
  password_works "$PASSWORD" && return 0
  local old
  old=$(sed -n -E 's/^ISC_PASSWORD="?([^"]*)"?$/\1/p' "$PWFILE" | head -n 1)
  if ! password_works "$old" ||
    ! fbsvcmgr "localhost/${PORT}:service_mgr" -user SYSDBA -password "$old" \
      -action_modify_user -sec_username SYSDBA -sec_password "$PASSWORD" >/dev/null; then
    log "cannot set the SYSDBA password (neither ours nor the packaged one is accepted)"
    return 1
  fi
  sed -i -E "s/^ISC_PASSWORD=.*/ISC_PASSWORD=\"${PASSWORD}\"/" "$PWFILE"
  log "SYSDBA password set"
}

install_packages
if configure_port; then
  log "port set to ${PORT}"
  stop_server
fi
server_running || { log "starting"; start_server; }
wait_for_server
set_password
password_works "$PASSWORD"
log "ready on localhost/${PORT}"
