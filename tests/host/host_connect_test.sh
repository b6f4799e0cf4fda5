#!/usr/bin/env bash
# keltrov-host on a connection string: the tables and the demo made in the connected database,
# then queried and written through it. Runs on a fresh SQLite file, or, given the folder of a
# running test cluster (scripts/pg-cluster.sh), on fresh databases of that PostgreSQL server.
set -u
host=$1
cluster=${2:-}
dir=$(mktemp -d)
made=()
cleanup() {
  for name in "${made[@]}"; do "$host" --connect "$server" --exec "drop database $name with (force)"; done
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

if [ -n "$cluster" ]; then server=$(cat "$cluster/connect") || fail "no running cluster in $cluster"; fi
fresh_connection() {
  if [ -z "$cluster" ]; then
    echo "Driver=SQLite3;Database=$dir/$1.sqlite;"
    return
  fi
  local name="keltrov_host_$1_$$"
  "$host" --connect "$server" --exec "create database $name" || fail "create database $name"
  made+=("$name")
  echo "${server}Database=$name;"
}
rows() { "$host" --connect "$1" --query "$2" | tail -n +2; }

empty=$(fresh_connection empty)
"$host" --connect "$empty" --create-db || fail "create-db"
[ "$(rows "$empty" "select count(*) from usertabb812")" = 0 ] || fail "empty tables"
err=$("$host" --connect "$empty" --create-demo 2>&1) && fail "create-demo over existing tables"
[[ "${err,,}" == *"already exists"* ]] || fail "refusal reason: $err"
[ "$(rows "$empty" "select count(*) from Organize")" = 0 ] || fail "a refused create-demo left rows"

demo=$(fresh_connection demo)
"$host" --connect "$demo" --create-demo || fail "create-demo"
out=$("$host" --connect "$demo" --query "select top 1 bankid, bankname from Organize")
[ "$out" = "$(printf 'BANKID\tBANKNAME\n10000001\t示范银行')" ] || fail "query output: $out"
# The positional inserts of the wage rows skip the wage table's own row number.
[ "$(rows "$demo" "select count(distinct autoid), count(*), min(field_1) from usertabb812")" = "$(printf '12\t12\t100001001')" ] ||
  fail "wage rows: $(rows "$demo" "select count(distinct autoid), count(*), min(field_1) from usertabb812")"
[ "$(rows "$demo" "select count(*) from privatevba where reportid='B812'")" = 1 ] || fail "demo template"
"$host" --connect "$demo" --exec "insert into usertabb810 values('10000001',getdate(),null,'无编号')" || fail "exec"
[ "$(rows "$demo" "select top 1 field_2 from usertabb810 order by field_1")" = "无编号" ] || fail "null code sorts first"
[ "$(rows "$demo" "select top 1 field_2 from usertabb810 order by field_1 desc")" = "无编号" ] && fail "null code sorts last descending"
"$host" --connect "$demo" --store-template "$(dirname "$0")/../fuzz/corpus/workbook_fuzz/seed.xlsx" || fail "store-template"
[ "$(rows "$demo" "select count(*) from privatevba")" = 1 ] || fail "template replaced"
"$host" --connect "$demo" --create-db "$dir/x.sqlite" 2>/dev/null; [ $? -eq 2 ] || fail "a file with --connect"
echo "host on a connection: all passed"
