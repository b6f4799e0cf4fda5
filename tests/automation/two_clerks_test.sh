#!/usr/bin/env bash
# Two hosts on one database add persons under one department and departments under one company at
# the same time, round after round: every stored node must have a code of its own.
# Usage: two_clerks_test.sh HOST [ROUNDS [CLUSTER]]; with the folder of a running test cluster
# (scripts/pg-cluster.sh) the database is one of its own on that PostgreSQL server.
set -u
host=$(realpath "$1")
rounds=${2:-100}
cluster=${3:-}
dir=$(mktemp -d)
cleanup() {
  [ -z "$cluster" ] || "$host" --connect "$(cat "$cluster/connect")" --exec "drop database $name with (force)"
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL two clerks: $*"; exit 1; }
cd "$dir"
if [ -n "$cluster" ]; then
  name="keltrov_two_clerks_$$"
  "$host" --connect "$(cat "$cluster/connect")" --exec "create database $name" || fail "create database"
  database=(--connect "$(cat "$cluster/connect")Database=$name;")
  "$host" "${database[@]}" --create-demo || fail "create-demo"
else
  database=(--db demo.sqlite)
  "$host" --create-demo demo.sqlite || fail "create-demo"
fi

for clerk in a b; do
  for ((round = 1; round <= rounds; round++)); do
    printf 'select #100001\ncommand add-person\nset name %s%d\nclick save\n' "$clerk" "$round"
    printf 'select #100\ninput %s部%d\ncommand add-department\n' "$clerk" "$round"
  done > "$clerk.script"
done

timeout 600 "$host" "${database[@]}" --script a.script 2> a.err &
first=$!
timeout 600 "$host" "${database[@]}" --script b.script 2> b.err
second_status=$?
wait "$first"
first_status=$?
[ "$first_status" -eq 0 ] && [ "$second_status" -eq 0 ] || fail "hosts ended with $first_status/$second_status: $(cat a.err b.err)"

# The rows of a query without its header line.
query() { "$host" "${database[@]}" --query "$1" | tail -n +2; }
twins=$(query "select field_1 from usertabb811 group by field_1 having count(*) > 1 union all
               select field_1 from usertabb810 group by field_1 having count(*) > 1")
persons=$(query "select count(*) from usertabb811 where field_2 like 'a%' or field_2 like 'b%'")
departments=$(query "select count(*) from usertabb810 where field_2 like 'a部%' or field_2 like 'b部%'")
echo "rounds per host: $rounds; persons stored: $persons; departments stored: $departments; codes held twice: ${twins:-none}"
[ -z "$twins" ] || fail "codes held by two nodes: $twins"
[ "$persons" -eq $((2 * rounds)) ] || fail "$persons persons stored, expected $((2 * rounds))"
[ "$departments" -eq $((2 * rounds)) ] || fail "$departments departments stored, expected $((2 * rounds))"
echo "two clerks: passed"
