#!/usr/bin/env bash
# Studies run by the runner: each run's rows are those of a single run with its settings and
# seed; a study killed half-way and started again gives the same table; a bad study file stops
# before any run with one line naming the file, the line and the key, and leaves nothing.
# Usage: studies.sh CLI SETTINGS
set -u
cli="$1" settings="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir "$work/a" "$work/b"
cat >"$work/a/study.toml" <<TOML
settings = "$settings"
steps = 6000
report = 1000
seeds = [1, 2, 3]
[population]
animals = 3
plants = 300
[sweep]
SunLight = [0.6, 0.8, 1.0]
TOML
cp "$work/a/study.toml" "$work/b/study.toml"

"$cli" --experiment "$work/a/study.toml" --jobs 2 >"$work/a.out" 2>"$work/a.err" || { cat "$work/a.err"; fail "the study failed"; }
table="$work/a/study-results/results.csv"
[ "$(cat "$work/a.out")" = "$table" ] || fail "the runner did not name its table: $(cat "$work/a.out")"
[ "$(wc -l <"$table")" -eq 55 ] || fail "9 runs x 6 reports and a header, not $(wc -l <"$table") lines"

# Each run against a single run of vivarion-cli with its settings and seed.
printf '[Population]\nNumCreatures=3\nNumFood=300\n' >"$work/pop.ini"
for run in 1 4 9; do
  folder=$(printf '%s/a/study-results/runs/%04d' "$work" $run)
  seed=$(awk -F, -v r=$run 'NR > 1 && $1 == r { print $5; exit }' "$table")
  "$cli" --settings "$folder/settings.ini" --population "$work/pop.ini" --seed "$seed" --steps 6000 --report 1000 \
    --stats "$work/s.csv" --evolution "$work/e.csv" >/dev/null 2>&1 || fail "the single run $run failed"
  cmp -s "$work/s.csv" "$folder/stats.csv" || fail "run $run's stats differ from a single run's"
  cmp -s "$work/e.csv" "$folder/evolution.csv" || fail "run $run's measures differ from a single run's"
  # The table's rows of the run are the single run's, behind the run's columns.
  /usr/bin/python3 - "$table" "$work/s.csv" "$work/e.csv" "$run" <<'PY' || fail "run $run's rows in the table"
import csv, sys
table, stats, evolution, run = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
rows = [r for r in csv.DictReader(open(table)) if r["run"] == run]
single = list(csv.DictReader(open(stats)))
measures = list(csv.DictReader(open(evolution)))
assert len(rows) == len(single) == len(measures) == 6, (len(rows), len(single))
for row, s, e in zip(rows, single, measures):
    for k, v in list(s.items()) + list(e.items()):
        assert row[k] == v, (k, row[k], v)
PY
done
grep -q "9 of 9 runs done" "$work/a.err" || fail "no progress of the whole study: $(cat "$work/a.err")"

# Killed once a run has finished, started again: the same table.
"$cli" --experiment "$work/b/study.toml" --jobs 2 >/dev/null 2>&1 &
pid=$!
for _ in $(seq 600); do [ -e "$work/b/study-results/runs/0001/done" ] && break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then
  kill -9 $pid; wait $pid 2>/dev/null
  [ -e "$work/b/study-results/results.csv" ] && fail "a killed study left its table"
else
  echo "(the study ended before it could be killed: resuming a finished study)"
fi
"$cli" --experiment "$work/b/study.toml" --jobs 2 >/dev/null 2>"$work/b.err" || { cat "$work/b.err"; fail "the resumed study failed"; }
cmp -s "$table" "$work/b/study-results/results.csv" || fail "the resumed study's table differs"
cmp -s "$work/a/study-results/summary.csv" "$work/b/study-results/summary.csv" || fail "the resumed summary differs"
ls "$work/b/study-results/runs/"*/checkpoint.vivw >/dev/null 2>&1 && fail "finished runs kept their checkpoints"

# A run whose rows were lost before its checkpoint (its files emptied) starts over and says so.
run1="$work/b/study-results/runs/0001"
seed1=$(awk -F, 'NR > 1 && $1 == 1 { print $5; exit }' "$table")
"$cli" --settings "$run1/settings.ini" --population "$work/pop.ini" --seed "$seed1" --steps 3000 \
  --save-world "$run1/checkpoint.vivw" >/dev/null 2>&1 || fail "the checkpoint of run 1"
head -n 1 "$run1/stats.csv" >"$work/header" && mv "$work/header" "$run1/stats.csv"
rm "$run1/done" "$work/b/study-results/results.csv"
"$cli" --experiment "$work/b/study.toml" >/dev/null 2>"$work/b.err" || { cat "$work/b.err"; fail "the study with lost rows"; }
grep -q "stats.csv: the world goes on from step 3000, but the file holds no rows.*starts again from step 0" "$work/b.err" ||
  fail "lost rows not told: $(cat "$work/b.err")"
cmp -s "$table" "$work/b/study-results/results.csv" || fail "the table after lost rows differs"

# Ctrl+C stops a study at once, with a line that says how to go on.
mkdir "$work/long"
sed 's/steps = 6000/steps = 100000000/' "$work/a/study.toml" >"$work/long/study.toml"
"$cli" --experiment "$work/long/study.toml" --jobs 2 >/dev/null 2>"$work/long.err" &
pid=$!
for _ in $(seq 200); do ls "$work/long/study-results/runs/0001/settings.ini" >/dev/null 2>&1 && break; sleep 0.05; done
sleep 0.5
kill -INT $pid
wait $pid
status=$?
[ $status -eq 130 ] || fail "a stopped study exits $status, not 130"
grep -q "study study stopped; its runs keep their checkpoints: run the same command again to go on" "$work/long.err" ||
  fail "no line after Ctrl+C: $(cat "$work/long.err")"
grep -q "^vivarion 0" "$work/long/study-results/program.txt" || fail "the results do not name the program"

# A changed study is not mixed with the old one's results.
sed -i 's/seeds = \[1, 2, 3\]/seeds = [1, 2]/' "$work/b/study.toml"
"$cli" --experiment "$work/b/study.toml" >/dev/null 2>"$work/c.err" && fail "a changed study ran into old results"
grep -q "holds the results of another study" "$work/c.err" || fail "$(cat "$work/c.err")"

# Bad files: one line, and no results folder.
mkdir "$work/bad"
printf 'steps = 100\n[sweep]\nSunLigth = [1, 2]\n' >"$work/bad/bad.toml"
"$cli" --experiment "$work/bad/bad.toml" >/dev/null 2>"$work/bad.err" && fail "a bad study ran"
[ "$(cat "$work/bad.err")" = "vivarion-cli: $work/bad/bad.toml:3: SunLigth: is not a settings key" ] ||
  fail "the bad study's message: $(cat "$work/bad.err")"
[ -e "$work/bad/bad-results" ] && fail "a bad study left a results folder"
"$cli" --experiment "$work/bad/bad.toml" --steps 5 >/dev/null 2>"$work/bad.err" && fail "--steps beside --experiment"
grep -q "goes in the file" "$work/bad.err" || fail "$(cat "$work/bad.err")"
echo "studies: the table is the single runs', resumes the same, and bad files stop it"
