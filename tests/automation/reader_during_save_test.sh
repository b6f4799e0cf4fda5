#!/usr/bin/env bash
# A clerk saves a month of a thousand rows again and again while another process reads it: every
# read sees the whole month, never a month half deleted or half stored.
# Usage: reader_during_save_test.sh HOST [ROUNDS [CLUSTER]]; CLUSTER as in two_clerks_test.sh.
set -u
host=$(realpath "$1")
rounds=${2:-5}
cluster=${3:-}
fail() { echo "FAIL reader during save: $*"; exit 1; }
source "$(dirname "$0")/demo_database.sh"
create_demo_database reader_during_save

execute "insert into usertabb811 (relationid, inputdate, field_1, field_2, field_5)
         with recursive n(i) as (select 100 union all select i + 1 from n where i < 999)
         select '10000001', getdate(), '100001' || i, '职员' || i, '财务部' from n" || fail "persons"
printf 'select #100\ndate %s\nanswer ok\nclick generate\n' "$this_month" > "$dir/generate.script"
run_clerks generate.script
persons=$(query "select count(*) from usertabb811")

printf 'select #100\ndate %s\n' "$this_month" > "$dir/save.script"
for ((round = 1; round <= rounds; round++)); do
  printf 'cell 6 5 %d\nclick save-wages\n' $((5000 + round)) >> "$dir/save.script"
done
run_clerks save.script &
writer=$!
reads=0
while kill -0 "$writer" 2> /dev/null; do
  seen=$(query "select count(*) from usertabb812 where relationid = '$month_key'") || fail "a read failed"
  [ "$seen" -eq "$persons" ] || fail "a read saw $seen rows of $persons"
  reads=$((reads + 1))
done
wait "$writer" || fail "the saving clerk failed"
stored=$(query "select count(*) from usertabb812 where relationid = '$month_key' and field_5 = $((5000 + rounds))")
echo "persons: $persons; saves: $rounds; reads during the saves, each of the whole month: $reads"
[ "$reads" -gt 0 ] || fail "no read during the saves"
[ "$stored" -eq 1 ] || fail "the last save's amount is stored in $stored rows"
echo "reader during save: passed"
