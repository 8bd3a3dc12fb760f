#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed runner from there: it
# finds the installed settings (copied first to the user's configuration) and gives the world
# of the build tree's runner. With "package", also builds the Debian package and checks its
# files and dependencies.
# Usage: install_and_package.sh BUILD_DIR SETTINGS [package]
set -u
build="$1" settings="$2" package="${3:-}"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }
cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
for f in bin/vivarion-cli bin/vivarion share/vivarion/VIVARION.ini share/vivarion/animals/ADAM.viv \
         share/applications/vivarion.desktop share/icons/hicolor/scalable/apps/vivarion.svg \
         share/icons/hicolor/48x48/apps/vivarion.png share/man/man1/vivarion.1.gz share/man/man1/vivarion-cli.1.gz; do
  [ -e "$work/prefix/$f" ] || fail "not installed: $f"
done
grep -q "^Exec=vivarion$" "$work/prefix/share/applications/vivarion.desktop" || fail "the menu entry does not start vivarion"
# The samples kept in the repository and nothing else (S may have saved more into animals/).
samples=$(cd "$work/prefix/share/vivarion/animals" && ls | tr '\n' ' ')
[ "$samples" = "ADAM.viv ELEDIG.viv IHOTET.viv OCONOG.viv OGOGOF.viv OLEHOL.viv UDEVOH.viv " ] || fail "installed samples: $samples"
[ -s "$work/prefix/share/doc/vivarion/copyright" ] || fail "no copyright file"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/prefix/share/applications/vivarion.desktop" || fail "the menu entry does not validate"
fi
zcat "$work/prefix/share/man/man1/vivarion-cli.1.gz" | grep -q "vivarion-cli (1)" && fail "the runner's manual page names itself"
zcat "$work/prefix/share/man/man1/vivarion-cli.1.gz" | grep -q "EXIT STATUS" || fail "the runner's manual page has no EXIT STATUS"
# Every program of the build tree reads the repository's settings file itself, not a copy.
for program in cli app islands; do
  [ ! -e "$build/src/$program/VIVARION.ini" ] ||
    [ "$(readlink -f "$build/src/$program/VIVARION.ini")" = "$(readlink -f "$settings")" ] ||
    fail "src/$program/VIVARION.ini of the build tree is a copy, not the repository's file"
done

# From an empty folder, with a home of its own: the installed settings, copied for the user.
mkdir -p "$work/home" "$work/here"
expected=$("$build/src/cli/vivarion-cli" --settings "$settings" --seed 7 --steps 300 --hash)
got=$(cd "$work/here" && env -u XDG_CONFIG_HOME HOME="$work/home" "$work/prefix/bin/vivarion-cli" --seed 7 --steps 300 --hash) ||
  fail "the installed runner failed"
[ "$got" = "$expected" ] || fail "installed runner: '$got', build tree: '$expected'"
cmp -s "$work/home/.config/vivarion/VIVARION.ini" "$settings" || fail "no user copy of the installed settings"
# The user's own file wins over the installed default from then on.
sed -i 's/^MinEnergy=50/MinEnergy=100000/' "$work/home/.config/vivarion/VIVARION.ini"
got=$(cd "$work/here" && XDG_CONFIG_HOME="$work/home/.config" "$work/prefix/bin/vivarion-cli" --seed 7 --steps 300)
[[ "$got" == "step=300 creatures=0 "* ]] || fail "the user's settings file was not read: $got"

# The Python module, where it was built: importable from the prefix, finding the same settings.
module=$(ls "$build"/src/python/vivarion*.so 2>/dev/null)
if [ -n "$module" ]; then
  site=$(ls -d "$work"/prefix/lib/python3.*/dist-packages) || fail "the Python module was not installed"
  got=$(cd "$work/here" && XDG_CONFIG_HOME="$work/home/.config" PYTHONPATH="$site" /usr/bin/python3 -c \
        'import vivarion; w = vivarion.World(seed=7); w.step(300); print(vivarion.__version__, w.figures()["creatures"])') ||
    fail "the installed Python module failed"
  [ "$got" = "$("$build/src/cli/vivarion-cli" --version | grep -o '[0-9][0-9.]*' | head -1) 0" ] ||
    fail "the installed Python module did not read the user's settings: $got"
fi

[ "$package" = package ] || { echo "installed and run from a prefix"; exit 0; }
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/deb/vivarion_*.deb) || fail "no package"
info=$(dpkg-deb -I "$deb")
for dep in libqt6widgets6 libqt6charts6 libpugixml1v5 libzstd1 libxxhash0 qt6-qpa-plugins libc6; do
  echo "$info" | grep "^ Depends:" | grep -q "$dep" || fail "the package does not depend on $dep: $(echo "$info" | grep Depends)"
done
files=$(dpkg-deb -c "$deb")
for f in ./usr/bin/vivarion ./usr/bin/vivarion-cli ./usr/share/vivarion/VIVARION.ini ./usr/share/applications/vivarion.desktop \
         ./usr/share/man/man1/vivarion-cli.1.gz; do
  echo "$files" | grep -q " $f\$" || fail "the package lacks $f"
done
if [ -n "$module" ]; then
  echo "$files" | grep -q " ./usr/lib/python3/dist-packages/vivarion\.cpython-[^ ]*\.so$" || fail "the package lacks the Python module"
  echo "$info" | grep "^ Recommends:" | grep -q "python3-numpy" || fail "the package does not recommend python3-numpy"
fi
echo "installed, run from a prefix, and packaged"
