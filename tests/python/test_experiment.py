"""Studies from Python: the same table as the runner's, events applied, and faults as vivarion.Error."""
import os
import subprocess

import pytest
import vivarion

CLI = os.environ["VIVARION_CLI"]
SETTINGS = os.environ["VIVARION_SETTINGS"]

STUDY = f"""settings = "{SETTINGS}"
steps = 1500
report = 500
replicates = 2
outputs = ["world"]
[population]
animals = 3
plants = 250
[sweep]
MaxFood = [200, 300]
[[event]]
type = "set"
key = "SunLight"
step = 700
value = 0.5
"""


def test_a_study_run_from_python_gives_the_runners_table(tmp_path):
    for name in ("py", "cli"):
        (tmp_path / name).mkdir()
        (tmp_path / name / "s.toml").write_text(STUDY)
    experiment = vivarion.Experiment(str(tmp_path / "py" / "s.toml"))
    assert experiment.runs == 4
    assert repr(experiment).startswith("vivarion.Experiment('%s', name='s', runs=4" % (tmp_path / "py" / "s.toml"))
    told = []
    table = experiment.run(jobs=2, progress=told.append)
    assert told[-1]["runs_done"] == 4 and told[-1]["steps_done"] == told[-1]["steps_total"] == 4 * 1500
    assert list(table.columns[:6]) == ["run", "point", "MaxFood", "replicate", "seed", "step"]
    assert len(table) == 4 * 3
    assert sorted(set(table.MaxFood)) == [200, 300] and sorted(set(table.seed)) == [1, 2]
    subprocess.run([CLI, "--experiment", str(tmp_path / "cli" / "s.toml")], check=True, capture_output=True)
    assert (tmp_path / "py" / "s-results" / "results.csv").read_bytes() == \
        (tmp_path / "cli" / "s-results" / "results.csv").read_bytes()
    assert vivarion.load_results(experiment.folder).equals(table)
    # The event is in every run's world: the world at the end runs under the light it set.
    run = tmp_path / "py" / "s-results" / "runs" / "0004"
    assert vivarion.World.load(str(run / "world.vivw")).settings["SunLight"] == 0.5
    assert "SunLight=0.5" not in (run / "settings.ini").read_text()
    assert not (run / "checkpoint.vivw").exists()


def test_study_faults_are_errors_that_name_the_file(tmp_path):
    bad = tmp_path / "bad.toml"
    bad.write_text("steps = 10\nreplicates = 2\nseeds = [1]\n")
    with pytest.raises(vivarion.Error, match=r"bad.toml:2: replicates: give seeds or replicates, not both"):
        vivarion.Experiment(str(bad))
    with pytest.raises(vivarion.Error, match="no table of results here"):
        vivarion.load_results(str(tmp_path))


def test_ctrl_c_stops_a_study_on_threads_at_once(tmp_path):
    import signal
    import threading
    import time
    (tmp_path / "long.toml").write_text(STUDY.replace("steps = 1500", "steps = 10000000"))
    experiment = vivarion.Experiment(str(tmp_path / "long.toml"))
    timer = threading.Timer(1.0, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        experiment.run(jobs=2, progress=False)
    assert time.monotonic() - start < 5
    timer.join()
    assert not list((tmp_path / "long-results" / "runs").glob("*/done"))
