#!/usr/bin/env bash
# The example studies, short: every number of steps in them ends in 000 and is read here as
# that many thousandths (100000 steps -> 100), so the runs and events keep their shape.
# Usage: study_examples.sh CLI SETTINGS EXAMPLES
set -u
cli="$1" settings="$2" examples="$3"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
for study in "$examples"/*.toml; do
  name=$(basename "$study" .toml)
  sed -E -e 's/\b([0-9]+)000\b/\1/g' -e "s|\"\.\./|\"$examples/../|g" "$study" >"$work/$name.toml"
  "$cli" --settings "$settings" --experiment "$work/$name.toml" --jobs 2 --plot "$work/$name.png" >/dev/null \
    2>"$work/$name.err" || { echo "FAIL: $study: $(cat "$work/$name.err")"; exit 1; }
  rows=$(($(wc -l <"$work/$name-results/results.csv") - 1))
  [ "$rows" -gt 0 ] && [ -s "$work/$name.png" ] || { echo "FAIL: $study made no table or chart"; exit 1; }
  echo "$name: $rows rows"
done
