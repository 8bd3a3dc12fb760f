#!/usr/bin/env bash
# A study over MPI: on two ranks, and on one rank two runs at a time, the same table as the
# runner's; a bad study file stops every rank with one message.
# Usage: studies_over_mpi.sh ISLANDS CLI SETTINGS
set -u
islands="$1" cli="$2" settings="$3"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
root=(); [ "$(id -u)" -eq 0 ] && root=(--allow-run-as-root)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"  # Open MPI keeps memory to the end
for name in cli two one bad; do mkdir "$work/$name"; done
for name in cli two one; do
  printf 'settings = "%s"\nsteps = 3000\nreport = 1000\nseeds = [4, 5]\n[sweep]\nSunLight = [0.6, 1.0]\n' "$settings" \
    >"$work/$name/s.toml"
done
"$cli" --experiment "$work/cli/s.toml" --jobs 2 >/dev/null 2>&1 || fail "the runner's study failed"
mpirun "${root[@]}" --oversubscribe -n 2 "$islands" --experiment "$work/two/s.toml" >/dev/null 2>"$work/two.err" ||
  { cat "$work/two.err"; fail "the study on two ranks failed"; }
mpirun "${root[@]}" -n 1 "$islands" --experiment "$work/one/s.toml" --jobs 2 >/dev/null 2>&1 ||
  fail "the study on one rank failed"
for name in two one; do
  cmp -s "$work/cli/s-results/results.csv" "$work/$name/s-results/results.csv" || fail "the table of $name rank(s) differs"
done
printf 'steps = 10\n[sweep]\nFoo = [1]\n' >"$work/bad/s.toml"
mpirun "${root[@]}" --oversubscribe -n 2 "$islands" --experiment "$work/bad/s.toml" >/dev/null 2>"$work/bad.err" &&
  fail "a bad study ran"
[ "$(grep -c 'Foo: is not a settings key' "$work/bad.err")" -eq 1 ] || fail "the bad study's message: $(cat "$work/bad.err")"
echo "studies over MPI: the same table on 2 ranks and on 1 rank of 2 jobs"
