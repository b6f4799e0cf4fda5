# Sourced by the scripts that drive keltrov-host: a fresh demo database in a scratch folder, on
# SQLite or, given the folder of a running test cluster (scripts/pg-cluster.sh), as a database of
# its own on that PostgreSQL server. Needs $host and $cluster; sets $dir and the host's arguments
# in $database, and removes both at exit.
dir=$(mktemp -d)
database=()
pg_name=""
drop_demo_database() {
  [ -z "$pg_name" ] || "$host" --connect "$(cat "$cluster/connect")" --exec "drop database $pg_name with (force)"
  rm -rf "$dir"
}
trap drop_demo_database EXIT

# create_demo_database NAME: the demo data in a new database; NAME names it on the server.
create_demo_database() {
  if [ -n "$cluster" ]; then
    pg_name="keltrov_$1_$$"
    "$host" --connect "$(cat "$cluster/connect")" --exec "create database $pg_name" || fail "create database"
    database=(--connect "$(cat "$cluster/connect")Database=$pg_name;")
    "$host" "${database[@]}" --create-demo || fail "create-demo"
  else
    database=(--db demo.sqlite)
    (cd "$dir" && "$host" --create-demo demo.sqlite) || fail "create-demo"
  fi
}

# The 15th of this month, and the key the demo bank's wages of this month are stored under.
this_month=$(date +%Y-%m-15)
month_key="10000001$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%Y-%m-%d)"

# One statement on the database; the rows of a query, without its header line.
execute() { (cd "$dir" && "$host" "${database[@]}" --exec "$1"); }
query() { (cd "$dir" && "$host" "${database[@]}" --query "$1" | tail -n +2); }

# run_clerks SCRIPT...: one host per script, all at once on the database; fails unless all end well.
run_clerks() {
  local pids=() script status=0
  for script in "$@"; do
    (cd "$dir" && timeout 600 "$host" "${database[@]}" --script "$script" 2> "$script.err") &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=$?; done
  [ "$status" -eq 0 ] || fail "a host ended with $status: $(cd "$dir" && cat ./*.err)"
}
