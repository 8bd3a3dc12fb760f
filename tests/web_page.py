#!/usr/bin/env python3
"""The page in a real headless browser (Debian's Chromium, driven by Debian's ChromeDriver over
the WebDriver protocol, with Python's standard library alone): it loads, steps, draws creatures,
gives the runner's hash for a seed at a step, reads a world file the runner wrote and writes
one the runner resumes exactly, and tells a bad file on the page.

Usage: web_page.py SITE_DIR RUNNER SETTINGS POPULATION [SCREENSHOT_DIR [MEASURE_WORLD]]
With MEASURE_WORLD (a world file), it also measures the page: its size, the time to its first
frame, and the steps a second of that world against the runner's on one thread.
"""
import base64
import http.server
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from functools import partial

site, runner, settings, population = sys.argv[1:5]
shots = sys.argv[5] if len(sys.argv) > 5 else None
measure = sys.argv[6] if len(sys.argv) > 6 else None
work = tempfile.mkdtemp(prefix="vivarion-web-")


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", free_port()), partial(QuietHandler, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
page = f"http://127.0.0.1:{server.server_address[1]}/"

driver_port = free_port()
driver = subprocess.Popen(["chromedriver", f"--port={driver_port}"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)


def call(method, path, body=None):
    request = urllib.request.Request(f"http://127.0.0.1:{driver_port}{path}", method=method,
                                     data=None if body is None else json.dumps(body).encode(),
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=300) as response:
        return json.loads(response.read())["value"]


for _ in range(100):
    try:
        call("GET", "/status")
        break
    except OSError:
        time.sleep(0.1)
else:
    fail("chromedriver did not start")

options = {"binary": "/usr/bin/chromium",
           "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                    "--disable-background-networking", "--disable-component-update", "--disable-sync",
                    "--no-first-run", "--window-size=1280,800", f"--user-data-dir={work}/profile"]}
session = call("POST", "/session", {"capabilities": {"alwaysMatch": {"goog:chromeOptions": options}}})["sessionId"]
base = f"/session/{session}"


def run(script, *args):
    return call("POST", base + "/execute/sync", {"script": script, "args": list(args)})


def wait_for(script, what, seconds=60):
    end = time.time() + seconds
    while time.time() < end:
        if run(script):
            return
        time.sleep(0.2)
    fail(f"{what} (the page says: {run('return window.vivarion ? vivarion.message() : document.body.innerText')})")


def screenshot(name):
    if shots:
        with open(os.path.join(shots, name), "wb") as f:
            f.write(base64.b64decode(call("GET", base + "/screenshot")))


def runner_hash(*args):
    out = subprocess.run([runner, "--settings", settings, "--population", population, "--hash", "--threads", "1",
                          *args], capture_output=True, text=True, check=True).stdout
    return out.strip().splitlines()[-1].split("hash=")[1]


try:
    # The start panel, then a world of a link: the runner's hash at step 5,000 for three seeds.
    call("POST", base + "/url", {"url": page})
    wait_for("return document.body.dataset.ready === '1'", "the page did not get ready")
    samples = len([n for n in os.listdir(os.path.join(site, "animals")) if n.endswith(".viv")])
    listed = run("return document.querySelectorAll('#animals input').length")
    if samples < 6 or listed != samples:
        fail(f"the start panel lists {listed} animals, the site holds {samples} samples")
    screenshot("web-start.png")
    for seed in (1, 2, 3):
        call("POST", base + "/url", {"url": f"{page}?seed={seed}&animals=3&plants=300&paused=1"})
        wait_for("return document.body.dataset.ready === '1' && window.vivarion", "the link's world did not start")
        got = run("return vivarion.stepTo(5000)")
        want = runner_hash("--seed", str(seed), "--steps", "5000")
        if got != want:
            fail(f"seed {seed}: the page's hash at step 5,000 is {got}, the runner's {want}")
        print(f"seed {seed}: hash {got} at step 5,000, as the runner's")

    # A link with animal files and a setting changed: the runner's world with that file and key.
    dim = os.path.join(work, "dim.ini")
    with open(settings) as f, open(dim, "w") as out:
        out.write("".join("SunLight=0.5\n" if line.startswith("SunLight") else line for line in f))
    call("POST", base + "/url", {"url": f"{page}?seed=4&animals=2&plants=250&files=ADAM.viv,OLEHOL.viv"
                                        "&SunLight=0.5&paused=1"})
    wait_for("return document.body.dataset.ready === '1' && window.vivarion", "the link's world did not start")
    got = run("return vivarion.stepTo(2000)")
    pop = os.path.join(work, "pop.ini")
    with open(pop, "w") as out:
        out.write("[Population]\nNumCreatures=2\nNumFood=250\n")
    animals = os.path.join(os.path.dirname(os.path.abspath(site)), "site", "animals")
    out = subprocess.run([runner, "--settings", dim, "--population", pop, "--seed", "4", "--steps", "2000", "--hash",
                          "--threads", "1", os.path.join(animals, "ADAM.viv"), os.path.join(animals, "OLEHOL.viv")],
                         capture_output=True, text=True, check=True).stdout
    want = out.strip().splitlines()[-1].split("hash=")[1]
    if got != want:
        fail(f"the link with files and a setting: hash {got} at step 2,000, the runner's {want}")
    print(f"a link with two animal files and SunLight=0.5: {got} at step 2,000, as the runner's")

    # The world runs and is drawn: black, with plants' green and animals on it.
    run("vivarion.pause(false)")
    wait_for("return vivarion.figures().step > 5100", "the world does not run")
    colours = run("""
        const c = document.getElementById('view'), d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        let black = 0, green = 0, other = 0;
        for (let k = 0; k < d.length; k += 4) {
          if (d[k] < 8 && d[k + 1] < 8 && d[k + 2] < 8) black++;
          else if (d[k + 1] > 150 && d[k] < 100 && d[k + 2] < 100) green++;
          else other++;
        }
        return [black, green, other];""")
    black, green, other = colours
    if black < (black + green + other) * 0.5 or green < 200 or other < 50:
        fail(f"the canvas does not show the world: {black} black, {green} green, {other} other pixels")
    print(f"canvas: {black} black, {green} green (plants), {other} other pixels")
    screenshot("web-running.png")
    # Zoomed in on an animal, its information beside the world.
    run("vivarion.pause(true)")
    serial = run("return vivarion.inspectFirstAnimal(1.5)")
    wait_for(f"return document.getElementById('creature').textContent.includes('Animal {serial}')",
             "a creature's information is not shown")
    screenshot("web-creature.png")
    run("vivarion.pause(false)")

    # A world file of the runner read, stepped, written, and resumed by the runner exactly.
    world = os.path.join(work, "a.vivw")
    subprocess.run([runner, "--settings", settings, "--population", population, "--seed", "9", "--steps", "2000",
                    "--save-world", world], capture_output=True, check=True)
    with open(world, "rb") as f:
        run("vivarion.open('a.vivw', arguments[0]); vivarion.pause(true)", base64.b64encode(f.read()).decode())
    if run("return vivarion.message()"):
        fail("the runner's world was refused: " + run("return vivarion.message()"))
    run("vivarion.stepTo(3000)")
    back = os.path.join(work, "b.vivw")
    with open(back, "wb") as f:
        f.write(base64.b64decode(run("return vivarion.save()")))
    resumed = runner_hash("--load-world", back, "--world-settings", "--steps", "1000")
    straight = runner_hash("--seed", "9", "--steps", "4000")
    if resumed != straight:
        fail(f"the page's world, resumed by the runner, is another world at 4,000: {resumed}, not {straight}")
    print(f"desktop -> page -> desktop: {resumed} at step 4,000, as the straight run")

    # A bad file: a message on the page naming it, and the world runs on.
    run("vivarion.open('broken.vivw', btoa('nonsense'))")
    message = run("return vivarion.message()")
    if message != "broken.vivw: this is not a world file":
        fail("a bad file's message: " + repr(message))
    screenshot("web-bad-file.png")
    print("a bad file: " + message)

    # The page's feedback: an animal file put into the world says where it went; the link's
    # confirmation stays for seconds; a link with a key that is not a settings key says so and
    # starts nothing; a bad setting's message names its field, not a file the user never wrote.
    status = "return document.getElementById('status').textContent"
    call("POST", base + "/url", {"url": f"{page}?seed=5&animals=3&plants=300&paused=1"})
    wait_for("return document.body.dataset.ready === '1' && window.vivarion", "the link's world did not start")
    with open(os.path.join(animals, "ADAM.viv"), "rb") as f:
        run("vivarion.open('ADAM.viv', arguments[0])", base64.b64encode(f.read()).decode())
    if "ADAM.viv is in the world at the view's centre" not in run(status):
        fail("an animal put into the world is not told: " + run(status))
    run("document.getElementById('link').click()")
    time.sleep(1.5)
    if not run(status).startswith(("Link copied", "The link is in the address bar")):
        fail("the link's confirmation did not stay: " + run(status))
    call("POST", base + "/url", {"url": f"{page}?seed=1&SunLigth=0.2"})
    wait_for("return document.body.dataset.ready === '1'", "the page did not get ready")
    if "SunLigth" not in run("return vivarion.message()") or run("return document.getElementById('start').hidden"):
        fail("a link with a misspelt key: " + repr(run("return vivarion.message()")))
    run("document.getElementById('key-SunLight').value = 'abc'; document.getElementById('go').click()")
    wait_for("return vivarion.message().startsWith('Settings, SunLight:')",
             "a bad setting's message does not name its field")
    print("feedback: an animal put in, the link copied, a misspelt key and a bad setting are told")

    if measure:
        size = sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(site) for f in files)
        wasm = os.path.getsize(os.path.join(site, "vivarion.wasm"))
        js = os.path.getsize(os.path.join(site, "vivarion.js"))
        print(f"size: {size / 1024:.0f} KB in all, vivarion.wasm {wasm / 1024:.0f} KB, vivarion.js {js / 1024:.0f} KB")
        firsts = []
        for _ in range(5):
            call("POST", base + "/url", {"url": f"{page}?seed=3&animals=3&plants=300"})
            wait_for("return window.vivarionFirstFrame !== undefined", "no first frame")
            firsts.append(run("return window.vivarionFirstFrame"))
        print("first frame: " + ", ".join(f"{t:.0f}" for t in sorted(firsts)) + " ms after the page began loading")
        with open(measure, "rb") as f:
            run("vivarion.open('world.vivw', arguments[0]); vivarion.pause(true)", base64.b64encode(f.read()).decode())
        speeds = sorted(run("return vivarion.speed(2000)") for _ in range(3))
        started = time.time()
        subprocess.run([runner, "--settings", settings, "--load-world", measure, "--world-settings", "--steps", "6000",
                        "--threads", "1"], capture_output=True, check=True)
        native = 6000 / (time.time() - started)
        print(f"speed of {os.path.basename(measure)}: {speeds[1]:.0f} steps a second in the page (of "
              f"{', '.join(f'{s:.0f}' for s in speeds)}), {native:.0f} in the runner on one thread")
finally:
    try:
        call("DELETE", base)
    finally:
        driver.terminate()
        server.shutdown()
print("web page: all passed")
