"""Checks a species tree against the species table (or the tree of taxa against the taxa
table): Biopython reads the tree, its names are the table's, every parent exists and no
species appears before its parent.
Usage: check_tree.py TREE.nwk SPECIES.csv|TAXA.csv"""
import csv
import sys

from Bio import Phylo

tree = Phylo.read(sys.argv[1], "newick")
with open(sys.argv[2], newline="") as f:
    rows = list(csv.DictReader(f))
if rows and "taxon" in rows[0]:  # taxa: labelled in the tree, parents given by id
    by_id = {r["taxon"]: r for r in rows}
    label = lambda r: r["label"]
    for r in rows:
        r["parent"] = by_id[r["parent"]]["label"] if r["parent"] in by_id else r["parent"]
        r["alive"] = "1" if r["alive"] != "0" else "0"
else:
    label = lambda r: r["name"] if r["emergence"] == "1" else f"{r['name']}_{r['emergence']}"
table = {label(r): r for r in rows}
# Several founders hang under a root labelled "founders", which is no species.
names = [c.name for c in tree.find_clades() if c.name and not (c is tree.root and c.name == "founders")]
problems = []
if sorted(names) != sorted(table):
    problems.append(f"the tree names {len(names)} species, the table {len(table)}")
for r in rows:
    parent = r["parent"]
    if parent and parent not in table:
        problems.append(f"{label(r)}: its parent {parent} is not in the table")
    elif parent and int(table[parent]["first_step"]) > int(r["first_step"]):
        problems.append(f"{label(r)} appears before its parent {parent}")
for clade in tree.find_clades():
    for child in clade.clades:
        if clade.name and clade.name in table and child.name and table[child.name]["parent"] != clade.name:
            problems.append(f"{child.name} hangs under {clade.name} in the tree, not under its parent")
for p in problems[:10]:
    print(p)
if problems:
    sys.exit(1)
print(f"a tree of {len(names)}, {sum(r['alive'] == '1' for r in rows)} alive, agrees with its table ({sys.argv[2]})")
