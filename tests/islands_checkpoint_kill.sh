#!/usr/bin/env bash
# An archipelago killed with SIGKILL at random moments while it writes checkpoints always
# leaves a whole set of one step, listed by its manifest, that resumes to the uninterrupted
# run's final lines.
# Usage: islands_checkpoint_kill.sh ISLANDS SETTINGS KILLS
set -u
islands="$1" settings="$2" kills="$3"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }
mpi=(mpirun --oversubscribe -n 3)
[ "$(id -u)" -eq 0 ] && mpi+=(--allow-run-as-root)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
cd "$work"
printf '[Population]\nNumCreatures=10\nNumFood=300\n' >ten.ini
args=(--settings "$settings" --population ten.ini --seed 9 --report 4000 --migrate-every 50 --migrants 2 --hash)
steps=12000
start=$(date +%s%N)
"${mpi[@]}" "$islands" "${args[@]}" --steps $steps >whole.txt 2>/dev/null || fail "the uninterrupted run failed"
took=$((($(date +%s%N) - start) / 1000000))  # milliseconds
tail -n 4 whole.txt >whole.end

resumed=0
for k in $(seq "$kills"); do
  rm -f cp* .cp*
  "${mpi[@]}" "$islands" "${args[@]}" --steps $steps --checkpoint "$work/cp.vivw" --checkpoint-every 10 >/dev/null 2>&1 &
  pid=$!
  # A moment anywhere in the run (the start of MPI included).
  sleep "$(awk -v t="$took" -v r=$RANDOM 'BEGIN { printf "%.3f", (0.2 + 0.7 * r / 32767) * t / 1000 }')"
  # Every process of the run at once, the ranks first, as a crash of the machine would.
  pkill -9 -f -- "--checkpoint $work/cp.vivw" 2>/dev/null
  wait "$pid" 2>/dev/null
  while pgrep -f -- "--checkpoint $work/cp.vivw" >/dev/null; do sleep 0.05; done
  [ -f cp.vivw ] || continue  # killed before the first checkpoint
  step=$(sed -n 's/^step=//p' cp.vivw)
  for i in 0 1 2; do
    [ -s "cp.island$i.step$step.vivw" ] || fail "kill $k: the manifest names step $step, but island $i's file is missing"
  done
  "${mpi[@]}" "$islands" "${args[@]}" --load-world cp.vivw --until $steps >resumed.txt 2>resumed.err ||
    fail "kill $k: resuming from step $step failed: $(head -3 resumed.err)"
  diff <(tail -n 4 resumed.txt) whole.end >/dev/null || fail "kill $k: resumed from step $step, the run ends otherwise:
$(diff <(tail -n 4 resumed.txt) whole.end)"
  resumed=$((resumed + 1))
done
[ "$resumed" -ge $((kills / 2)) ] || fail "only $resumed of $kills kills came after a first checkpoint: make the run longer"
echo "$resumed of $kills kills resumed to the same end (the others came before the first checkpoint)"
