#!/usr/bin/env bash
# The species outputs of the runner are the same, byte for byte, with 1 and 2 threads, with the
# plain passes and after a save and load in the middle of the run; and the species tree of a
# long run is a tree that a standard Newick reader (Biopython's) takes, matching the table.
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
    --species-csv "$dir/species.csv" --phylogeny "$dir/tree.nwk" "$@" >"$dir/out.txt" || exit 1
}
run one --seed 6 --steps 8000 --threads 1
run two --seed 6 --steps 8000 --threads 2
run plain --seed 6 --steps 8000 --reference
run half --seed 6 --steps 4000 --save-world "$work/half.vivw"
run resumed --load-world "$work/half.vivw" --until 8000
for d in two plain; do
  for f in stats.csv species.csv tree.nwk; do
    cmp -s "$work/one/$f" "$work/$d/$f" || { echo "$f differs in the run '$d'"; exit 1; }
  done
done
for f in species.csv tree.nwk; do
  cmp -s "$work/one/$f" "$work/resumed/$f" || { echo "$f differs after a save and load"; exit 1; }
done
# The resumed run's statistics are the rows after step 4000 of the whole run.
diff <(awk -F, 'NR == 1 || $1 > 4000' "$work/one/stats.csv") "$work/resumed/stats.csv" ||
  { echo "statistics differ after a save and load"; exit 1; }
# The first five columns agree with the status lines.
diff <(tail -n +2 "$work/one/stats.csv" | cut -d, -f1-5) \
  <(sed -E 's/step=([0-9]+) creatures=([0-9]+) food=([0-9]+) biomass=([0-9]+) species=([0-9]+)/\1,\2,\3,\4,\5/' \
    "$work/one/out.txt") || { echo "statistics and status lines disagree"; exit 1; }

run long --seed 1 --steps "$long"
for python in python3 /usr/bin/python3; do
  if "$python" -c 'import Bio' 2>/dev/null; then
    exec "$python" "$here/check_tree.py" "$work/long/tree.nwk" "$work/long/species.csv"
  fi
done
echo "no Python with Biopython (scripts/install-deps installs python3-biopython)"
exit 1
