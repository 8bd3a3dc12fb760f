#!/usr/bin/env bash
# Two builds of the runner (say, optimised and sanitized) must give the same world: the
# arithmetic may not depend on how the program was compiled.
set -u
fast="$1" other="$2" settings="$3"
if [ ! -x "$other" ]; then
  echo "skipped: $other is not built (make test builds it)"
  exit 77
fi
for seed in 1 2; do
  a=$("$fast" --settings "$settings" --seed $seed --steps 3000 --report 500) || exit 1
  b=$("$other" --settings "$settings" --seed $seed --steps 3000 --report 500) || exit 1
  if [ "$a" != "$b" ]; then
    echo "seed $seed differs:"
    diff <(echo "$a") <(echo "$b")
    exit 1
  fi
done
echo "same output for both builds"
