#!/usr/bin/env bash
# The tools that judge rules of evolution run the runner and read what it writes: a change of
# the runner's columns or files that breaks them fails here. A short run of each, checked for
# its table's rows and verdict lines.
# Usage: evolution_tools.sh CLI SETTINGS
set -u
cli=$(realpath "$1") settings=$(realpath "$2")
tools=$(cd "$(dirname "$0")/../tools" && pwd)
animals=$(cd "$(dirname "$0")/../animals" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" || exit 1
printf '[Population]\nNumCreatures=6\nNumFood=300\n' >pop.ini
"$tools/evolution-table" --cli "$cli" --settings "$settings" --seeds 2 --steps 6000 --report 1000 --jobs 2 \
  --keep kept -- --population pop.ini >table.txt 2>/dev/null || fail "evolution-table failed: $(cat table.txt)"
grep -qE '^ +1 +yes ' table.txt || fail "no row of seed 1 alive: $(cat table.txt)"
grep -q '^alive in 2 of 2 seeds' table.txt || fail "no verdict: $(cat table.txt)"
[[ -s kept/evolution-2.csv && -s kept/world-2.vivw ]] || fail "--keep kept nothing"
"$tools/competition" "$animals/ELEDIG.viv" "$animals/ADAM.viv" --cli "$cli" --settings "$settings" --seeds 2 \
  --steps 3000 --animals 3 >duel.txt 2>&1 || fail "competition failed: $(cat duel.txt)"
grep -qE '^ELEDIG.viv won [0-2] of 2 seeds, ADAM.viv won [0-2]$' duel.txt || fail "no verdict: $(cat duel.txt)"
# Every living animal descends from one of the two: the counts of a seed are not both zero.
grep -qE '^ +1 +0 +0 ' duel.txt && fail "seed 1 counted no descendants: $(cat duel.txt)"
"$tools/competition" "$animals/ELEDIG.viv" "$animals/ADAM.viv" --invasion --cli "$cli" --settings "$settings" \
  --seeds 2 --settle 1000 --steps 2000 --animals 9 --invaders 1 >invasion.txt 2>&1 ||
  fail "invasion failed: $(cat invasion.txt)"
# One invader among the residents that lived 1,000 steps alone: a share above 0 and below a half.
grep -qE '^ +1 +first +([1-4][0-9]|[1-9])\.[0-9] ' invasion.txt || fail "no invader's share at the start: $(cat invasion.txt)"
grep -qE '^ADAM.viv increased when rare in [0-2] of 2 seeds$' invasion.txt || fail "no verdict: $(cat invasion.txt)"
grep -qE '^they (coexist|do not coexist)' invasion.txt || fail "no verdict: $(cat invasion.txt)"
echo "evolution tools: ok"
