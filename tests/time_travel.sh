#!/usr/bin/env bash
# Time travel in the runner: a world saved with its timeline and started again at an earlier
# step gives the original run's hashes from there; a branch with the same settings stays its
# parent and one with other settings parts from it; bad timelines and steps are refused with
# one line naming the file.
# Usage: time_travel.sh CLI SETTINGS
set -u
cli="$1" settings="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" || exit 1
printf '[Population]\nNumCreatures=4\nNumFood=300\n' >pop.ini
run() { "$cli" --settings "$settings" --population pop.ini --hash "$@"; }
hash_at() { grep "^step=$1 " | sed 's/.*hash=//'; }

run --seed 7 --steps 4000 --report 250 --save-world w.vivw --save-timeline --keyframe-every 300 \
  --evolution orig-evo.csv --stats orig-stats.csv >orig.out 2>&1 || fail "the first run: $(cat orig.out)"
[ -s w.vivt ] || fail "no timeline beside the world"
for at in 0 1234 2999 3999; do
  # The row files of the first run, gone back: the rows after --at are made again, the same.
  cp orig-evo.csv at-evo.csv; cp orig-stats.csv at-stats.csv
  run --load-world w.vivw --at $at --until 4000 --report 250 --evolution at-evo.csv --stats at-stats.csv \
    >at.out 2>&1 || fail "--at $at: $(cat at.out)"
  for step in 1500 3000 4000; do
    [ $step -le $at ] && continue
    [ "$(hash_at $step <at.out)" = "$(hash_at $step <orig.out)" ] || fail "--at $at: another world at $step"
  done
  cmp -s at-evo.csv orig-evo.csv || fail "--at $at: evolution rows differ: $(diff at-evo.csv orig-evo.csv | head -4)"
  cmp -s at-stats.csv orig-stats.csv || fail "--at $at: stats rows differ: $(diff at-stats.csv orig-stats.csv | head -4)"
done
# Gone back and stopped short, the undone future's rows are gone.
cp orig-evo.csv short.csv
run --load-world w.vivw --at 1000 --until 2000 --report 250 --evolution short.csv >/dev/null 2>&1 || fail "a short run"
[ "$(tail -n 1 short.csv | cut -d, -f1)" = 2000 ] || fail "rows after 2000 kept: $(tail -n 1 short.csv)"

# A world that goes on with a row file that lost its rows says so.
head -n 1 orig-evo.csv >lost.csv
run --load-world w.vivw --until 4250 --report 250 --evolution lost.csv >lost.out 2>&1 || fail "lost rows: $(cat lost.out)"
grep -q "warning: lost.csv: the world goes on from step 4000, but the file holds no rows" lost.out ||
  fail "lost rows not told: $(cat lost.out)"
# Forward from the world's own step, without a timeline; and the timeline saved again goes on.
run --load-world w.vivw --at 4500 --steps 0 --save-world w2.vivw --save-timeline >fwd.out 2>&1 || fail "forward: $(cat fwd.out)"
run --load-world w2.vivw --at 2000 --steps 0 >back.out 2>&1 || fail "back in the saved-again timeline: $(cat back.out)"
[ "$(hash_at 2000 <back.out)" = "$(grep '^step=2000 ' orig.out | sed 's/.*hash=//')" ] || fail "the timeline saved again"

# Branches from 2000: the same settings give the parent's world, others part from it.
cp "$settings" same.ini
sed 's/^SunLight *=.*/SunLight=0.4/I' "$settings" >dim.ini
run --load-world w.vivw --at 2000 --until 4000 --report 250 --branch-settings same.ini >same.out 2>same.err \
  || fail "branch: $(cat same.err)"
grep -q "a branch from step 2000: no setting differs" same.err || fail "the branch's note: $(cat same.err)"
[ "$(hash_at 4000 <same.out)" = "$(hash_at 4000 <orig.out)" ] || fail "an unchanged branch left its parent"
run --load-world w.vivw --at 2000 --until 4000 --report 250 --branch-settings dim.ini >dim.out 2>dim.err \
  || fail "branch: $(cat dim.err)"
grep -q "a branch from step 2000: SunLight" dim.err || fail "the changed key is not named: $(cat dim.err)"
[ "$(hash_at 2250 <dim.out)" != "$(hash_at 2250 <orig.out)" ] || fail "a branch with less light stayed its parent"
# A file that names one key changes that key alone, and the same world follows as from a whole file.
printf '[VIVARION]\nSunLight=0.4\nSunLigth=1\n' >partial.ini
run --load-world w.vivw --at 2000 --until 4000 --report 250 --branch-settings partial.ini >partial.out 2>partial.err \
  || fail "a partial branch: $(cat partial.err)"
grep -q "a branch from step 2000: SunLight [0-9.]* -> 0.4$" partial.err || fail "partial: $(cat partial.err)"
grep -q "partial.ini: unknown key ignored: SunLigth" partial.err || fail "no warning of an unknown key: $(cat partial.err)"
[ "$(hash_at 4000 <partial.out)" = "$(hash_at 4000 <dim.out)" ] || fail "a partial branch is another world"

# Refusals: another world's timeline, a damaged one, no timeline at all.
expect_error() {  # pattern, then the run's arguments
  local pattern="$1"; shift
  if run "$@" >err.out 2>&1; then fail "ran: $*"; fi
  grep -q -e "$pattern" err.out || fail "expected '$pattern', got: $(cat err.out)"
}
run --seed 8 --steps 100 --save-world other.vivw >/dev/null 2>&1
cp w.vivt other.vivt
expect_error "other.vivt: this timeline belongs to another world" --load-world other.vivw --at 50
cp w.vivt bad.vivt; cp w.vivw bad.vivw
printf '\x55' | dd of=bad.vivt bs=1 seek=2000 conv=notrunc 2>/dev/null
expect_error "bad.vivt: the timeline file is damaged" --load-world bad.vivw --at 50
rm -f other.vivt
expect_error "no timeline was saved beside it" --load-world other.vivw --at 50
expect_error "--at goes with --load-world" --at 50
# Outputs that would take the timeline's name, read or written, are refused before the run.
expect_error "w.vivt: named by both the timeline read for --at and --stats" --load-world w.vivw --at 1000 --stats w.vivt
expect_error "c.vivt: named by both --csv and --save-timeline" --steps 10 --save-world c.vivw --save-timeline --csv c.vivt
mkdir d.vivt
expect_error "d.vivt" --steps 100000000 --save-world d.vivw --save-timeline
echo "time travel: all passed"
