#!/usr/bin/env bash
# Compiles the locales the locale tests run under into DIR (for LOCPATH): German, whose
# decimal separator is a comma, and Pashto, whose separator is two bytes in UTF-8.
set -eu
dir="$1"
mkdir -p "$dir"
for name in de_DE ps_AF; do
  [ -d "$dir/$name.UTF-8" ] || localedef -i "$name" -f UTF-8 "$dir/$name.UTF-8"
done
