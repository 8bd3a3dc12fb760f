#!/usr/bin/env bash
# The README's runner example prints what README shows, and docs/RUNNER.md holds the runner's
# --help word for word: the user's guide cannot go stale.
# Usage: readme_examples.sh CLI SOURCE_DIR
set -u
cli="$1" source="$2"
fail() { echo "FAIL: $*"; exit 1; }
cd "$source" || exit 1
# The example: the line after "$ " names the command, the lines up to the fence its output.
example=$(awk '/^\$ build\/release\/src\/cli\/vivarion-cli /{on=1; print; next} on && /^```/{exit} on' README.md)
[ -n "$example" ] || fail "README has no runner example"
command=$(head -n 1 <<<"$example" | sed "s|^\\\$ build/release/src/cli/vivarion-cli|\"$cli\"|")
expected=$(tail -n +2 <<<"$example")
actual=$(eval "$command" 2>/dev/null) || fail "the example failed: $command"
[ "$actual" = "$expected" ] || fail "README's example prints
$actual
not
$expected"
help=$(awk '/^```$/{n++; next} n == 1' docs/RUNNER.md)
[ "$help" = "$("$cli" --help)" ] || fail "docs/RUNNER.md differs from --help: $(diff <(echo "$help") <("$cli" --help) | head -5)"
echo "README's example and the runner's options are the programs'"
