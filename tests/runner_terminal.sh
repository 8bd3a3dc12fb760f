#!/usr/bin/env bash
# The runner at a terminal and in a pipe: a progress line on a terminal's standard error and
# none elsewhere; status lines reach a pipe while the run goes on; --version; --plot.
# Usage: runner_terminal.sh CLI SETTINGS
set -u
cli="$1" settings="$2"
work=$(mktemp -d); trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
pid=""
fail() { echo "$1"; exit 1; }
[ "$("$cli" --version)" = "vivarion-cli 0.35" ] || fail "--version: $("$cli" --version)"

# Under a pseudo-terminal, a run of some seconds draws "step N of M (P%), R steps/s, T left".
script -qc "'$cli' --settings '$settings' --seed 3 --steps 30000" "$work/typescript" >/dev/null </dev/null
grep -aq "of 30000 (.*%), .* steps/s, .* left" "$work/typescript" || fail "no progress line on a terminal"
tail -c 200 "$work/typescript" | grep -aq "step=30000 creatures=" || fail "the status line is missing at the end"
# Without a terminal, standard error stays empty.
"$cli" --settings "$settings" --seed 3 --steps 30000 >/dev/null 2>"$work/err"
[ ! -s "$work/err" ] || fail "output on standard error without a terminal: $(head -c 200 "$work/err")"

# The first status line arrives through a pipe while the runner still runs.
mkfifo "$work/pipe"
"$cli" --settings "$settings" --seed 3 --steps 10000000 --report 100 --csv "$work/rows.csv" >"$work/pipe" &
pid=$!
IFS= read -r -t 120 first <"$work/pipe" || fail "no status line through the pipe"
[ "${first%% *}" = "step=100" ] || fail "first line: $first"
kill -0 "$pid" 2>/dev/null || fail "the run had ended before its first line arrived"
head -n 2 "$work/rows.csv" | tail -n 1 | grep -q "^100," || fail "the CSV rows wait in a buffer"
kill "$pid"; wait "$pid" 2>/dev/null

# --plot writes a picture of the run.
"$cli" --settings "$settings" --seed 3 --steps 2000 --plot "$work/plot.png" >/dev/null || fail "--plot failed"
[ "$(head -c 8 "$work/plot.png" | od -An -c | tr -d ' ')" = "211PNG\r\n032\n" ] || fail "--plot wrote no PNG"
"$cli" --settings "$settings" --steps 10 --plot "$work/no/plot.png" >/dev/null 2>"$work/err" && fail "--plot into no folder succeeded"
grep -q "no/plot.png" "$work/err" || fail "the --plot error does not name the file: $(cat "$work/err")"
echo "progress, pipe, version and plot as expected"
