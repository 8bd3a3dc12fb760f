"""The Python module against the runner: the same worlds, files both ways, threads, errors."""
import csv
import os
import subprocess
import threading

import numpy as np
import pytest
import vivarion

CLI = os.environ["VIVARION_CLI"]
SETTINGS = os.environ["VIVARION_SETTINGS"]


def runner_hashes(tmp_path, *args):
    population = tmp_path / "population.ini"
    population.write_text("[Population]\nNumCreatures=2\nNumFood=250\n")
    out = subprocess.run([CLI, "--settings", SETTINGS, "--population", str(population), "--hash", *args],
                         capture_output=True, text=True, check=True, cwd=tmp_path).stdout
    return [int(field[5:], 16) for line in out.splitlines() for field in line.split() if field.startswith("hash=")]


def stepped(world, steps, every):
    hashes = []
    for _ in range(steps // every):
        world.step(every)
        hashes.append(world.hash())
    return hashes


def test_a_world_stepped_from_python_is_the_runners(tmp_path):
    # Reports stay out of the hash: the runner reporting every 500 steps hashes as this world,
    # which reports at other steps, and a report taken here changes nothing.
    world = vivarion.World(settings=SETTINGS, seed=7, population=(2, 250))
    hashes = []
    for until in (500, 1500, 3000):
        world.run(until=until)
        hashes.append(world.hash())
        world.report()
        assert world.hash() == hashes[-1]
    ran = runner_hashes(tmp_path, "--seed", "7", "--steps", "3000", "--report", "500")
    assert hashes == [ran[0], ran[2], ran[5]]
    figures = world.figures()
    assert figures["step"] == world.step_count == 3000
    animals = world.creatures()
    assert list(animals.dtype.names) == ["serial", "parent", "x", "y", "vx", "vy", "heading", "radius", "energy",
                                         "max_energy", "plant", "taxon", "organs", "name"]
    assert len(animals) == figures["creatures"] + figures["food"]
    assert int(np.count_nonzero(animals["plant"])) == figures["food"]
    assert np.allclose(animals["energy"], animals["radius"].astype(np.float64) ** 2, rtol=1e-6)
    assert len(set(animals["serial"].tolist())) == len(animals)


def test_reports_are_the_runners_hashes_and_evolution_rows(tmp_path):
    world = vivarion.World(settings=SETTINGS, seed=5, population=(2, 250))
    hashes = []
    for _ in range(3):
        world.step(1000, report=500)
        hashes.append(world.hash())
    rows = tmp_path / "evolution.csv"
    ran = runner_hashes(tmp_path, "--seed", "5", "--steps", "3000", "--report", "500", "--evolution", str(rows))
    assert hashes == ran[1::2]
    with open(rows, newline="") as f:
        theirs = [{k: float(v) for k, v in row.items()} for row in csv.DictReader(f)]
    assert [{k: float(v) for k, v in row.items()} for row in world.evolution()] == theirs
    assert set(world.report()) >= {"births", "persistent_species", "novelty", "ancestor_age"}


def test_settings_from_python_are_the_runners(tmp_path):
    rules = vivarion.Settings(SETTINGS)
    assert rules["sunlight"] == 0.75 and rules["MaxFood"] == 300 and len(rules.keys()) == len(rules.to_dict())
    rules["SunLight"] = 0.6
    rules["OrganLoss"] = 0.2
    written = tmp_path / "mine.ini"
    rules.save(str(written))
    assert vivarion.Settings(str(written)) == rules
    assert vivarion.Settings({"SunLight": 0.6})["SunLight"] == 0.6
    # New rules at a step boundary: the runner resumed under them from the same step agrees.
    world = vivarion.World(settings=SETTINGS, seed=9, population=(2, 250))
    world.step(1000)
    half = tmp_path / "half.vivw"
    world.save(str(half))
    world.settings = rules
    world.step(1000)
    assert world.settings == rules
    assert [world.hash()] == runner_hashes(tmp_path, "--load-world", str(half), "--settings", str(written),
                                           "--steps", "1000")
    # A world's settings are its rules: a key set on them changes the world (from its next step);
    # a Settings made from them is a copy.
    view = world.settings
    world.settings["SunLight"] = 0.3
    assert view["SunLight"] == 0.3 and world.settings.to_dict()["SunLight"] == 0.3
    copy = vivarion.Settings(world.settings)
    copy["SunLight"] = 0.9
    assert world.settings["SunLight"] == 0.3 and copy["SunLight"] == 0.9
    with pytest.raises(vivarion.Error, match="CostOfLiving: -1 is out of range"):
        world.settings["CostOfLiving"] = -1
    assert world.settings["CostOfLiving"] == rules["CostOfLiving"]
    with pytest.raises(KeyError):
        rules["SunLigth"] = 1
    with pytest.raises(vivarion.Error, match="MaxFood"):
        rules["MaxFood"] = 2.5
    with pytest.raises(vivarion.Error, match="nowhere.ini"):
        vivarion.World(settings=str(tmp_path / "nowhere.ini"))
    misspelt = tmp_path / "misspelt.ini"
    misspelt.write_text("[VIVARION]\nSunLigth=1\n")
    with pytest.warns(UserWarning, match="unknown key ignored: SunLigth"):
        assert vivarion.Settings(str(misspelt))["SunLight"] == 0


def test_world_files_go_both_ways(tmp_path):
    world = vivarion.World(settings=SETTINGS, seed=11, population=(2, 250))
    world.step(1000)
    mine = tmp_path / "mine.vivw"
    world.save(str(mine))
    # The runner goes on from the module's file as the module does.
    ahead = runner_hashes(tmp_path, "--load-world", str(mine), "--world-settings", "--steps", "500")
    assert stepped(vivarion.World.load(str(mine)), 500, 500) == ahead
    # And the module reads the runner's file.
    theirs = tmp_path / "theirs.vivw"
    runner_hashes(tmp_path, "--seed", "11", "--steps", "1000", "--save-world", str(theirs))
    loaded = vivarion.World.load(str(theirs))
    assert loaded.step_count == 1000 and loaded.hash() == world.hash()


def test_worlds_in_threads_give_their_solo_results():
    solo = [stepped(vivarion.World(settings=SETTINGS, seed=s, population=(2, 250)), 1500, 500) for s in (1, 2)]
    together = [None, None]

    def run(k, seed):
        together[k] = stepped(vivarion.World(settings=SETTINGS, seed=seed, population=(2, 250)), 1500, 500)

    threads = [threading.Thread(target=run, args=(k, s)) for k, s in enumerate((1, 2))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert together == solo


def test_bad_files_raise_naming_the_file(tmp_path):
    missing = tmp_path / "nowhere.vivw"
    with pytest.raises(vivarion.Error, match="nowhere.vivw"):
        vivarion.World.load(str(missing))
    broken = tmp_path / "broken.vivw"
    broken.write_bytes(b"not a world at all")
    with pytest.raises(vivarion.Error, match="broken.vivw"):
        vivarion.World.load(str(broken))
    with pytest.raises(ValueError, match="population"):
        vivarion.World(settings=SETTINGS, population=(-1, 5))
    animal = tmp_path / "BAD.viv"
    animal.write_text("<creature><nonsense")
    with pytest.raises(vivarion.Error, match="BAD.viv"):
        vivarion.World(settings=SETTINGS, seed=1, animals=[str(animal)])


def test_wrong_arguments_are_told_in_pythons_terms(tmp_path):
    # Each wrong argument a TypeError or ValueError naming it, never a signature dump.
    cases = [(dict(settings={"SunLight": "abc"}), TypeError, r"settings\['SunLight'\] needs a number"),
             (dict(seed=-1), ValueError, "seed needs a whole number from 0"),
             (dict(seed=1.5), TypeError, "seed needs a whole number"),
             (dict(animals=3), TypeError, "animals needs a list of animal file names"),
             (dict(size=(0, 5)), ValueError, "size needs a whole number from 1"),
             (dict(population=(1,)), TypeError, "population needs two whole numbers")]
    for kwargs, kind, message in cases:
        with pytest.raises(kind, match=message):
            vivarion.World(settings=SETTINGS, **kwargs) if "settings" not in kwargs else vivarion.World(**kwargs)
    adam = os.path.join(os.path.dirname(SETTINGS), "animals", "ADAM.viv")
    world = vivarion.World(settings=SETTINGS, seed=2, animals=adam)  # one file needs no list
    for until in (-2**63, 2**64):
        with pytest.raises(ValueError, match="until"):
            world.run(until=until)
    world.step(200)
    assert repr(world) == "vivarion.World(step=200, creatures=%d, food=%d, species=%d)" % tuple(
        world.figures()[k] for k in ("creatures", "food", "species"))
    assert all(isinstance(name, str) for name in world.creatures()["name"].tolist())
    # Calls that fit no signature: the argument named, never pybind11's dump.
    for call, message in [(lambda: vivarion.World(sed=3), "unexpected keyword argument 'sed'"),
                          (lambda: world.branch(setting=1), "unexpected keyword argument 'setting'"),
                          (lambda: vivarion.World.load(123), "path needs a file name"),
                          (lambda: world.place(1, "a", 2), "x needs a number"),
                          (lambda: vivarion.Settings(SETTINGS + "\0junk"), "NUL"),
                          (lambda: world.step(2**63 - 1), "no world goes beyond step")]:
        with pytest.raises((TypeError, ValueError), match=message):
            call()
    with pytest.raises(vivarion.Error, match="no such folder or file"):
        vivarion.load_results("d" * 300)
    for name in ("step", "run", "report", "save", "load", "creatures", "settings"):
        assert getattr(vivarion.World, name).__doc__, name
    assert vivarion.World.__doc__ and vivarion.Settings.__doc__


def test_ctrl_c_stops_a_long_step_between_steps():
    import signal
    world = vivarion.World(settings=SETTINGS, seed=4)
    timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        world.step(10**9)
    timer.join()
    assert 0 < world.step_count < 10**9


def test_creatures_tables_and_holding():
    world = vivarion.World(settings=SETTINGS, seed=3, population=(1, 300))
    world.step(3000)
    animals = world.creatures()
    serial = int(animals[~animals["plant"]]["serial"][0])
    adam = world.creature(serial)
    assert adam["name"] and len(adam["organs"]) == int(animals[animals["serial"] == serial]["organs"][0])
    assert {"kind", "id", "phi"} <= set(adam["organs"][0])
    plant = world.creature(int(animals[animals["plant"]]["serial"][0]))
    assert plant["color"] == 0x200A000  # the plant's green, with the flag byte of every colour
    with pytest.raises(KeyError):
        world.creature(10**12)
    species = world.species()
    assert any(row["alive"] > 0 for row in species) and all("name" in row for row in species)
    assert world.taxa()[0]["taxon"] == 1
    assert world.phylogeny().endswith(";\n") and world.taxa_tree().endswith(";\n")
    # A held creature stays where it was put, step after step, until released.
    world.place(serial, 10.0, 20.0)
    world.step(50)
    if world.creatures()["serial"].tolist().count(serial):
        held = world.creature(serial)
        assert (held["x"], held["y"]) == (10.0, 20.0)
    world.release()
