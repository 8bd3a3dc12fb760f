#!/usr/bin/env bash
# The islands program under mpirun: a seed sweep equal to single runs, migration that is
# reproducible, conserves animals and carries species across, exact resumption, and a
# common end with a message when one island fails.
# Usage: islands.sh ISLANDS CLI SETTINGS
set -u
islands="$1" cli="$2" settings="$3"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }
mpi=(mpirun --oversubscribe -n 3)
[ "$(id -u)" -eq 0 ] && mpi+=(--allow-run-as-root)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"  # Open MPI keeps memory to the end
cd "$work"

# Without migration, island i is the runner with seed 5 + i.
"${mpi[@]}" "$islands" --settings "$settings" --seed 5 --steps 1500 --report 500 --hash >sweep.txt || fail "sweep failed"
for i in 0 1 2; do
  "$cli" --settings "$settings" --seed $((5 + i)) --steps 1500 --report 500 --hash | sed "s/^/island=$i /" >single.txt
  diff <(grep "^island=$i " sweep.txt) single.txt || fail "island $i differs from its single run"
done

# A film per island, the runner's film of its seed.
if command -v ffprobe >/dev/null; then
  "${mpi[@]}" "$islands" --settings "$settings" --seed 5 --steps 400 --film film.mp4 --film-every 100 \
    --film-size 320x240 >/dev/null 2>film.err || fail "films of the islands failed: $(cat film.err)"
  "$cli" --settings "$settings" --seed 7 --steps 400 --film single.mp4 --film-every 100 --film-size 320x240 \
    >/dev/null 2>&1 || fail "the runner's film failed"
  for i in 0 1 2; do
    got=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "film.island$i.mp4")
    [ "$got" = 5 ] || fail "island $i's film has '$got' frames, not 5"
  done
  ffmpeg -v error -i film.island2.mp4 -f framemd5 - | grep -v "^#" >island2.md5
  ffmpeg -v error -i single.mp4 -f framemd5 - | grep -v "^#" >single.md5
  cmp -s island2.md5 single.md5 || fail "island 2's film differs from the runner's of seed 7"
fi

# With no --settings, the islands find the same settings as the runner (both beside their
# programs in the build tree, or installed): the sweep still equals single runs.
"${mpi[@]}" "$islands" --seed 40 --steps 1000 --report 500 --migrate-every 0 >found.txt 2>found.err || fail "sweep without --settings failed"
[ -s found.err ] && fail "the islands found no settings: $(cat found.err)"
for i in 0 1 2; do
  diff <(grep "^island=$i " found.txt) <("$cli" --seed $((40 + i)) --steps 1000 --report 500 | sed "s/^/island=$i /") ||
    fail "island $i without --settings differs from the runner's seed $((40 + i))"
done

# With migration: the same output whatever the threads; as many arrive as leave.
printf '[Population]\nNumCreatures=10\nNumFood=300\n' >ten.ini
args=(--settings "$settings" --population ten.ini --seed 5 --report 4000 --migrate-every 500 --migrants 2 --hash)
"${mpi[@]}" "$islands" "${args[@]}" --steps 12000 --stats stats.csv --species-csv species.csv >a.txt 2>a.err ||
  fail "migration run failed: $(cat a.err)"
"${mpi[@]}" "$islands" "${args[@]}" --steps 12000 --threads 1 >b.txt 2>/dev/null || fail "second run failed"
cmp -s a.txt b.txt || fail "two runs with migration differ: $(diff a.txt b.txt)"
grep -q "^archipelago islands=3 step=12000 creatures=" a.txt || fail "no archipelago summary"
grep -q "144 migrants moved" a.err || fail "expected 3 islands x 24 rounds x 2 migrants: $(cat a.err)"
python3 - <<'PY' || fail "migration does not hold together"
import csv
rows = list(csv.DictReader(open("stats.csv")))
assert len(rows) == 9, rows
for step in ("4000", "8000", "12000"):
    at = [r for r in rows if r["step"] == step]
    assert [r["island"] for r in at] == ["0", "1", "2"], at
    sent = sum(int(r["departures"]) for r in at)
    assert sent == sum(int(r["arrivals"]) for r in at) == 3 * 8 * 2, at
# A species born on one island (it has a parent there) turns up later on the next one,
# where it arrived without a parent.
tables = [list(csv.DictReader(open(f"species.island{i}.csv"))) for i in range(3)]
crossed = 0
for i in range(3):
    born = {r["name"]: int(r["first_step"]) for r in tables[i] if r["parent"]}
    for r in tables[(i + 1) % 3]:
        if not r["parent"] and r["name"] in born and int(r["first_step"]) > born[r["name"]]:
            crossed += 1
assert crossed > 0, "no species crossed"
PY

# Resumed from its world files, the archipelago ends as the uninterrupted run did, and its
# statistics rows (migrants counted since the last report included) are the same.
"${mpi[@]}" "$islands" "${args[@]}" --steps 6000 --save-world half.vivw --stats half.csv --evolution half-evolution.csv \
  --taxa-csv half-taxa.csv >half.txt 2>/dev/null || fail "first half failed"
[ -f half.island2.vivw ] || fail "no world file per island"
grep -q "^islands=3$" half.vivw || fail "no list of the islands' world files"
"${mpi[@]}" "$islands" "${args[@]}" --load-world half.vivw --until 12000 --stats resumed.csv >c.txt 2>/dev/null || fail "resume failed"
diff <(grep -v "step=4000 " a.txt) c.txt || fail "the resumed archipelago differs"
diff <(grep -v ",4000," stats.csv) resumed.csv || fail "the resumed archipelago's statistics differ"

# A save of three islands is not loaded by two, with or without its list; one island alone
# cannot migrate.
mpi2=(mpirun --oversubscribe -n 2) mpi1=(mpirun -n 1)
[ "$(id -u)" -eq 0 ] && mpi2+=(--allow-run-as-root) mpi1+=(--allow-run-as-root)
"${mpi2[@]}" "$islands" "${args[@]}" --load-world half.vivw --until 12000 >e.txt 2>e.err && fail "three islands loaded by two"
grep -q "half.vivw: the world files hold 3 islands, and this run has 2" e.err || fail "the count is not named: $(head -3 e.err)"
mv half.vivw list.txt
"${mpi2[@]}" "$islands" "${args[@]}" --load-world half.vivw --until 12000 >e.txt 2>e.err && fail "three islands loaded by two without a list"
grep -q "half.vivw: the world files hold 3 islands, and this run has 2" e.err || fail "the count is not named: $(head -3 e.err)"
mv list.txt half.vivw
"${mpi1[@]}" "$islands" "${args[@]}" --steps 10 >e.txt 2>e.err
[ $? -eq 2 ] || fail "one island with migration was not a usage error"
grep -q "migrate-every needs two islands or more" e.err || fail "no reason for refusing one island: $(head -3 e.err)"

# Several islands in a rank are the same islands: one rank of three gives the lines, rows
# and world files of three ranks of one, with migration and without.
"${mpi1[@]}" "$islands" "${args[@]}" --islands-per-rank 3 --steps 6000 --stats k.csv --save-world k.vivw \
  --evolution k-evolution.csv --taxa-csv k-taxa.csv >k.txt 2>/dev/null || fail "three islands in one rank failed"
diff half.txt k.txt || fail "three islands in one rank differ from three ranks"
cmp -s half.csv k.csv || fail "three islands in one rank write other statistics: $(diff half.csv k.csv | head -5)"
cmp -s half-evolution.csv k-evolution.csv || fail "three islands in one rank measure other evolution"
grep -q "^island,step,taxa," k-evolution.csv && [ "$(wc -l <k-evolution.csv)" -eq 7 ] || fail "no evolution rows per island"
for i in 0 1 2; do
  cmp -s "half.island$i.vivw" "k.island$i.vivw" || fail "island $i's world file differs in one rank"
  cmp -s "half-taxa.island$i.csv" "k-taxa.island$i.csv" || fail "island $i's taxa differ in one rank"
done
"${mpi1[@]}" "$islands" "${args[@]}" --islands-per-rank 3 --steps 1500 --migrate-every 0 >k0.txt 2>/dev/null ||
  fail "three islands in one rank without migration failed"
"${mpi[@]}" "$islands" "${args[@]}" --steps 1500 --migrate-every 0 >r0.txt 2>/dev/null || fail "three ranks without migration failed"
diff r0.txt k0.txt || fail "three islands in one rank without migration differ from three ranks"

# One island's file missing: every island ends, with status 1 and the island named.
rm half.island1.vivw
"${mpi[@]}" "$islands" "${args[@]}" --load-world half.vivw --until 12000 >d.txt 2>d.err
[ $? -eq 1 ] || fail "a failed island did not end the run with status 1"
grep -q "^vivarion-islands: island 1: .*half.island1.vivw" d.err || fail "the failure does not name the island: $(head -3 d.err)"
# A pipe given as the world to load is refused at once, not waited on.
mkfifo pipe.vivw
timeout 60 "${mpi[@]}" "$islands" "${args[@]}" --load-world pipe.vivw --until 12000 >p.txt 2>p.err
[ $? -eq 1 ] || fail "a pipe as the world file did not end the run with status 1"
grep -q "pipe.vivw: this is not a regular file" p.err || fail "the pipe was not named: $(head -3 p.err)"
echo "sweep, migration, resumption and failure as expected"
