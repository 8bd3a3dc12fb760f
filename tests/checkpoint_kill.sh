#!/usr/bin/env bash
# A run killed with SIGKILL while it writes checkpoints, resumed from its last checkpoint,
# ends with the same status line (hash included) as the run that was never interrupted.
# Usage: checkpoint_kill.sh CLI SETTINGS
set -u
cli="$1" settings="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '[Population]\nNumCreatures=5\nNumFood=300\n' >"$work/pop.ini"
args=(--settings "$settings" --population "$work/pop.ini" --seed 3 --hash)
whole=$("$cli" "${args[@]}" --steps 30000) || exit 1
"$cli" "${args[@]}" --steps 30000 --checkpoint "$work/cp.vivw" --checkpoint-every 100 >/dev/null &
pid=$!
for _ in $(seq 200); do [ -s "$work/cp.vivw" ] && break; sleep 0.05; done
sleep 0.5
kill -0 $pid 2>/dev/null || { echo "the run ended before it could be killed: make it longer"; exit 1; }
kill -9 $pid
wait $pid 2>/dev/null
[ -s "$work/cp.vivw" ] || { echo "no checkpoint was written"; exit 1; }
ls -A "$work" | grep -q '\.vivarion-' && echo "(a temporary file of the killed write is left: expected after SIGKILL)"
resumed=$("$cli" --settings "$settings" --hash --load-world "$work/cp.vivw" --until 30000 2>/dev/null) || exit 1
if [ "$whole" != "$resumed" ]; then
  echo "the resumed run ends differently:"; echo "  $whole"; echo "  $resumed"; exit 1
fi
echo "resumed from a checkpoint of a killed run: $resumed"
