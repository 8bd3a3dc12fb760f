#!/usr/bin/env bash
# The runner saves the same animal files under every locale, and a saved file read back
# and saved again is the same to the byte. Usage: locale_round_trip.sh CLI LOCPATH_DIR SETTINGS
set -u
cli="$1" locales="$2" settings="$3"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
printf '[Population]\nNumCreatures=5\nNumFood=200\n' >"$work/five.ini"
printf '[Population]\nNumCreatures=1\nNumFood=0\n' >"$work/one.ini"
run() {  # LOCALE OUTDIR ARGS...
  local locale="$1" out="$2"; shift 2
  mkdir -p "$out"
  LOCPATH="$locales" LC_ALL="$locale" "$cli" --settings "$settings" --save-animals "$out" "$@" >/dev/null || exit 1
}
run C "$work/C" --population "$work/five.ini" --seed 4 --steps 4000
[ -n "$(ls "$work/C")" ] || { echo "the run saved no species"; exit 1; }
for locale in de_DE.UTF-8 ps_AF.UTF-8; do
  LOCPATH="$locales" LC_ALL="$locale" locale 2>&1 | grep -q "Cannot set" && { echo "$locale is not available"; exit 1; }
  run "$locale" "$work/$locale" --population "$work/five.ini" --seed 4 --steps 4000
  diff -r "$work/C" "$work/$locale" || { echo "saved under $locale: files differ"; exit 1; }
  for f in "$work/$locale"/*.viv; do
    run "$locale" "$work/again-$locale-$(basename "$f")" --population "$work/one.ini" --steps 0 "$f"
    cmp "$f" "$work/again-$locale-$(basename "$f")/unnamed.viv" || { echo "$f read back under $locale differs"; exit 1; }
  done
done
echo "the same files under every locale, and read back to the byte"
