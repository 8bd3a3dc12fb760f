"""Time travel from Python: rewind, branch, the timeline saved with a world and read by the runner."""
import os
import subprocess

import pytest
import vivarion

CLI = os.environ["VIVARION_CLI"]
SETTINGS = os.environ["VIVARION_SETTINGS"]


def test_rewound_and_branched_worlds_meet_the_original_run(tmp_path):
    world = vivarion.World(settings=SETTINGS, seed=11, population=(3, 250), timeline=200)
    hashes = {}
    for step in range(0, 2001, 100):
        world.run(until=step)
        hashes[step] = world.hash()
    line = world.timeline()
    assert line["spacing"] == 200 and line["first"] == 0 and line["last"] == 2000
    assert line["keyframes"] == list(range(0, 2001, 200)) and line["seams"] == []
    for back in (1300, 100, 1999):
        world.rewind(back)
        assert world.step_count == back
        world.run(until=back - back % 100 + 100)
        assert world.hash() == hashes[world.step_count]

    world.rewind(1000)
    same = world.branch()
    dim = world.branch(settings={"SunLight": 0.3})
    assert dim.settings["SunLight"] == 0.3 and world.settings["SunLight"] != 0.3
    for w in (same, dim):
        w.run(until=1500)
    assert same.hash() == hashes[1500]
    assert dim.hash() != hashes[1500]
    dim.rewind(1000)
    assert dim.hash() == hashes[1000], "a branch's start is its parent's world"
    assert world.step_count == 1000 and world.hash() == hashes[1000], "the parent stays where it was"

    # Saved with its timeline, the world goes back in the runner exactly as here.
    world.run(until=2000)
    world.save(str(tmp_path / "w.vivw"), timeline=True)
    assert (tmp_path / "w.vivt").exists()
    out = subprocess.run([CLI, "--load-world", str(tmp_path / "w.vivw"), "--at", "700", "--until", "1000", "--hash"],
                         capture_output=True, text=True, check=True).stdout
    assert int(out.split("hash=")[1].split()[0], 16) == hashes[1000]
    again = vivarion.World.load(str(tmp_path / "w.vivw"))
    again.rewind(300)
    again.run(until=400)
    assert again.hash() == hashes[400]


def test_time_travel_refuses_what_it_cannot_do(tmp_path):
    world = vivarion.World(settings=SETTINGS, seed=3, population=(2, 200), timeline=100)
    world.run(until=500)
    with pytest.raises(vivarion.Error, match="after the furthest step"):
        world.rewind(501)
    # A creature held through steps is the hand's doing: those steps cannot be replayed.
    serial = int(world.creatures()["serial"][0])
    world.place(serial, 10.0, 10.0)
    world.step(5)
    world.release()
    world.step(5)
    assert world.timeline()["seams"][0] == 501
    with pytest.raises(vivarion.Error, match="changed by hand at step"):
        world.rewind(503)
    world.rewind(505)
    assert world.step_count == 505
    off = vivarion.World(settings=SETTINGS, seed=3, population=(2, 200), timeline=None)
    off.step(10)
    with pytest.raises(vivarion.Error, match="keeps no timeline"):
        off.rewind(5)


def test_reports_after_going_back_are_those_of_a_straight_run():
    straight = vivarion.World(settings=SETTINGS, seed=4, timeline=None)
    straight.run(until=5000, report=300)
    expected = straight.evolution()
    world = vivarion.World(settings=SETTINGS, seed=4, timeline=1000)
    world.run(until=5000, report=300)
    assert world.evolution() == expected
    # Back between keyframes and reports: the rows after the step are gone until the world goes
    # on, and those it then takes are the straight run's, row for row.
    world.rewind(2500)
    assert world.evolution() == [r for r in expected if r["step"] <= 2500]
    world.rewind(4400)
    assert world.evolution() == [r for r in expected if r["step"] <= 4400], "a rewind forward shows them again"
    world.rewind(2100)
    world.run(until=4000, report=300)
    assert world.evolution() == [r for r in expected if r["step"] <= 4000]
    branch = world.branch()
    branch.run(until=5000, report=300)
    assert branch.evolution() == expected, "a branch's rows go on from its parent's"
