#!/usr/bin/env bash
# Two hosts on one database add persons under one department and departments under one company at
# the same time, round after round: every stored node must have a code of its own, and every person
# a number of their own from the form's numbered column (内部编号).
# Usage: two_clerks_test.sh HOST [ROUNDS [CLUSTER]]; with the folder of a running test cluster
# (scripts/pg-cluster.sh) the database is one of its own on that PostgreSQL server.
set -u
host=$(realpath "$1")
rounds=${2:-100}
cluster=${3:-}
fail() { echo "FAIL two clerks: $*"; exit 1; }
source "$(dirname "$0")/demo_database.sh"
create_demo_database two_clerks
execute "update usertabb200 set field_14='1' where field_2='field_7'" || fail "numbered column"

for clerk in a b; do
  for ((round = 1; round <= rounds; round++)); do
    printf 'select #100001\ncommand add-person\nset name %s%d\nclick save\n' "$clerk" "$round"
    printf 'select #100\ninput %s部%d\ncommand add-department\n' "$clerk" "$round"
  done > "$dir/$clerk.script"
done
run_clerks a.script b.script

new_persons="from usertabb811 where field_2 like 'a%' or field_2 like 'b%'"
twins=$(query "select field_1 from usertabb811 group by field_1 having count(*) > 1 union all
               select field_1 from usertabb810 group by field_1 having count(*) > 1")
persons=$(query "select count(*) $new_persons")
numbers=$(query "select count(distinct field_7) $new_persons")
departments=$(query "select count(*) from usertabb810 where field_2 like 'a部%' or field_2 like 'b部%'")
echo "rounds per host: $rounds; persons stored: $persons with $numbers numbers; departments stored: $departments;" \
  "codes held twice: ${twins:-none}"
[ -z "$twins" ] || fail "codes held by two nodes: $twins"
[ "$persons" -eq $((2 * rounds)) ] || fail "$persons persons stored, expected $((2 * rounds))"
[ "$numbers" -eq "$persons" ] || fail "$numbers distinct numbers for $persons persons"
[ "$departments" -eq $((2 * rounds)) ] || fail "$departments departments stored, expected $((2 * rounds))"
echo "two clerks: passed"
