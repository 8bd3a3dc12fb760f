#!/usr/bin/env bash
# The species and taxa outputs of the runner are the same, byte for byte, with 1 and 2 threads,
# with the plain passes and after a save and load in the middle of the run; and the species
# tree and the tree of taxa of a long run are trees that a standard Newick reader (Biopython's)
# takes, matching their tables.
# Usage: history_outputs.sh CLI SETTINGS [LONG_STEPS]
set -u
cli="$1" settings="$2" long="${3:-100000}"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '[Population]\nNumCreatures=5\nNumFood=300\n' >"$work/pop.ini"
run() {  # DIR ARGS...
  local dir="$work/$1"; shift
  mkdir -p "$dir"
  "$cli" --settings "$settings" --population "$work/pop.ini" --report 1000 --stats "$dir/stats.csv" \
    --species-csv "$dir/species.csv" --phylogeny "$dir/tree.nwk" --taxa-csv "$dir/taxa.csv" \
    --taxa-tree "$dir/taxa.nwk" --evolution "$dir/evolution.csv" "$@" >"$dir/out.txt" || exit 1
}
run one --seed 6 --steps 8000 --threads 1
run two --seed 6 --steps 8000 --threads 2
run plain --seed 6 --steps 8000 --reference
run half --seed 6 --steps 4000 --save-world "$work/half.vivw"
run resumed --load-world "$work/half.vivw" --until 8000
for d in two plain; do
  for f in stats.csv species.csv tree.nwk taxa.csv taxa.nwk evolution.csv; do
    cmp -s "$work/one/$f" "$work/$d/$f" || { echo "$f differs in the run '$d'"; exit 1; }
  done
done
for f in species.csv tree.nwk taxa.csv taxa.nwk; do
  cmp -s "$work/one/$f" "$work/resumed/$f" || { echo "$f differs after a save and load"; exit 1; }
done
# The resumed run's statistics and measures are the rows after step 4000 of the whole run.
for f in stats.csv evolution.csv; do
  diff <(awk -F, 'NR == 1 || $1 > 4000' "$work/one/$f") "$work/resumed/$f" ||
    { echo "$f differs after a save and load"; exit 1; }
done
# The outputs agree with each other: the living taxa of the table are the measures' last count,
# and persistent taxa are never more than the animals.
python3 - "$work/one" <<'PY' || exit 1
import csv, sys
d = sys.argv[1]
taxa = list(csv.DictReader(open(f"{d}/taxa.csv")))
rows = list(csv.DictReader(open(f"{d}/evolution.csv")))
stats = list(csv.DictReader(open(f"{d}/stats.csv")))
living = sum(1 for t in taxa if t["alive"] != "0")
assert int(rows[-1]["taxa"]) == living, (rows[-1]["taxa"], living)
for r, s in zip(rows, stats):
    assert r["step"] == s["step"] and int(r["persistent_taxa"]) <= int(s["creatures"]), (r, s)
assert sum(int(t["births"]) for t in taxa) <= sum(int(s["births"]) for s in stats), "more taxon births than births"
PY
# The first five columns agree with the status lines.
diff <(tail -n +2 "$work/one/stats.csv" | cut -d, -f1-5) \
  <(sed -E 's/step=([0-9]+) creatures=([0-9]+) food=([0-9]+) biomass=([0-9]+) species=([0-9]+)/\1,\2,\3,\4,\5/' \
    "$work/one/out.txt") || { echo "statistics and status lines disagree"; exit 1; }

run long --seed 1 --steps "$long"
for python in python3 /usr/bin/python3; do
  if "$python" -c 'import Bio' 2>/dev/null; then
    "$python" "$here/check_tree.py" "$work/long/tree.nwk" "$work/long/species.csv" || exit 1
    exec "$python" "$here/check_tree.py" "$work/long/taxa.nwk" "$work/long/taxa.csv"
  fi
done
echo "no Python with Biopython (scripts/install-deps installs python3-biopython)"
exit 1
