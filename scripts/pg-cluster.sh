#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests: a temporary data folder, a free port on 127.0.0.1,
# no fsync, C collation, trust on loopback only. The state folder keeps what `env` and `stop` need.
#
#   pg-cluster.sh start STATE      start a cluster and print the export line of its connection
#   pg-cluster.sh env STATE        print that export line again
#   pg-cluster.sh stop STATE       stop the cluster and remove its data
#   pg-cluster.sh run STATE CMD…   start, run CMD with KELTROV_PG_CONNECT set, stop even when CMD fails
set -euo pipefail

readonly superuser=keltrov

usage() {
  echo "usage: $0 start|env|stop STATE_DIR | run STATE_DIR COMMAND..." >&2
  exit 2
}

bin_dir() {
  local newest
  newest=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -n "$newest" ]; then echo "$newest"; else dirname "$(command -v initdb)"; fi
}

# The server refuses to run as root: the cluster then belongs to an unprivileged account.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

connect_string() {
  echo "Driver={PostgreSQL ANSI};Servername=127.0.0.1;Port=$1;Database=postgres;Username=$superuser;"
}

print_env() {
  echo "export KELTROV_PG_CONNECT='$(cat "$1/connect")'"
}

start() {
  local state=$1 bin data port
  if [ -f "$state/datadir" ]; then stop "$state"; fi
  mkdir -p "$state"
  bin=$(bin_dir)
  data=$(mktemp -d /tmp/keltrov-pg.XXXXXX)
  echo "$data" >"$state/datadir"
  # Whatever fails from here on leaves no server and no data folder behind.
  trap 'stop "$state" >/dev/null 2>&1 || true' ERR
  [ "$(id -u)" -ne 0 ] || chown nobody "$data"
  as_owner "$bin/initdb" -D "$data/db" -U "$superuser" --auth=trust --locale=C --encoding=UTF8 --no-sync >"$data/initdb.log"
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    port_in_use "$port" && continue
    if as_owner "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 start \
      -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories='' -c fsync=off \
          -c synchronous_commit=off -c full_page_writes=off" >/dev/null; then
      connect_string "$port" >"$state/connect"
      trap - ERR
      print_env "$state"
      return 0
    fi
  done
  cat "$data/server.log" >&2
  false
}

stop() {
  local state=$1 data
  [ -f "$state/datadir" ] || return 0
  data=$(cat "$state/datadir")
  if [ -f "$data/db/postmaster.pid" ]; then
    as_owner "$(bin_dir)/pg_ctl" -D "$data/db" -m immediate -w stop >/dev/null || true
  fi
  case "$data" in /tmp/keltrov-pg.*) rm -rf "$data" ;; esac
  rm -f "$state/datadir" "$state/connect"
}

[ $# -ge 2 ] || usage
command=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2
case "$command" in
  start) start "$state" ;;
  env) print_env "$state" ;;
  stop) stop "$state" ;;
  run)
    [ $# -ge 1 ] || usage
    trap 'stop "$state"' EXIT
    eval "$(start "$state")"
    export KELTROV_PG_CONNECT
    "$@"
    ;;
  *) usage ;;
esac
