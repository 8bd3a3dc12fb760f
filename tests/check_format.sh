#!/bin/sh
# Fails when a source file is not in the style of .clang-format. Usage: check_format.sh SOURCE_DIR
cd "$1" || exit 1
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
