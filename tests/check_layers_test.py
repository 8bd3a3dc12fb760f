#!/usr/bin/env python3
"""check_layers refuses an include of a header that another folder does not list as public,
and takes the listed ones: a tree of two files, checked against a table of one row."""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402

with tempfile.TemporaryDirectory() as root:
    os.makedirs(os.path.join(root, "src", "sim"))
    with open(os.path.join(root, "src", "sim", "a.cpp"), "w") as f:
        f.write('#include "history/taxa.h"\n#include "history/secret.h"\n#include "sim/own.h"\n')
    with open(os.path.join(root, "ARCHITECTURE.md"), "w") as f:
        f.write("## Public headers\n\n| folder | public headers |\n|---|---|\n| `history/` | `taxa.h` |\n")
    found = check_layers.faults(os.path.join(root, "src"), check_layers.public_headers(os.path.join(root, "ARCHITECTURE.md")))
    assert len(found) == 1 and '"history/secret.h" is not among history/\'s public headers' in found[0], found
print("check_layers refuses an unlisted header and takes a listed one")
