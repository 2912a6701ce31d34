#!/usr/bin/python3
"""Volumnia on a Wayland compositor: weston without a screen (headless, the
pixman renderer) in a private runtime folder, the program on Qt's own
wayland platform, run from a copy of the demo folder. A Wayland client can
neither set nor learn where its windows are, so the runs must leave the
stored positions alone: three runs in a row leave MF_X, MF_Y, LV_X and LV_Y
as they were. Then the Statistics window's own test runs on the same
compositor (given the window test program): no key reaches a program on a
headless weston, so the test opens it from its menu item, and there the
window shows, draws whole and stores no place.

usage: wayland.py VOLUMNIA DEMO_FOLDER [WINDOW_TESTS]
Exit status 0 when every check holds, 1 otherwise (a compositor that cannot
be started is a failure too, never a skip).
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from settingsfile import read_settings, write_settings  # noqa: E402

POSITIONS = ("MF_X", "MF_Y", "LV_X", "LV_Y")
failures = []


class WaylandError(Exception):
    pass


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)



class Compositor:
    """weston, headless, for the length of a with block."""

    def __init__(self):
        self.runtime = tempfile.mkdtemp(prefix="volumnia-wayland-")
        os.chmod(self.runtime, 0o700)
        self.socket = "volumnia-test"
        self.process = None

    def __enter__(self):
        if not shutil.which("weston"):
            raise WaylandError("the compositor cannot start: weston is not installed (package weston)")
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        environment.pop("DISPLAY", None)
        environment.pop("WAYLAND_DISPLAY", None)
        self.log = open(os.path.join(self.runtime, "weston.log"), "w")
        self.process = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--width=1280", "--height=1024",
             "--socket=" + self.socket, "--idle-time=0", "--no-config"],
            env=environment, stdout=subprocess.DEVNULL, stderr=self.log)
        deadline = time.monotonic() + 15
        path = os.path.join(self.runtime, self.socket)
        while not os.path.exists(path):
            if self.process.poll() is not None:
                raise WaylandError("the compositor cannot start: weston ended with %d\n%s"
                                   % (self.process.returncode, self._log()))
            if time.monotonic() > deadline:
                raise WaylandError("the compositor cannot start: weston made no socket in 15 seconds\n"
                                   + self._log())
            time.sleep(0.05)
        return self

    def _log(self):
        self.log.flush()
        with open(os.path.join(self.runtime, "weston.log")) as log:
            return log.read().strip()[-800:]

    def __exit__(self, *_):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.runtime, ignore_errors=True)

    def environment(self):
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.socket,
                           QT_QPA_PLATFORM="wayland")
        environment.pop("DISPLAY", None)
        return environment


def one_run(program, folder, compositor):
    """Starts the program, waits until both its windows are up on the
    compositor, and ends it as a session end does."""
    # The client's side of the protocol, on its error output: the windows'
    # titles tell that they are made and shown.
    environment = dict(compositor.environment(), WAYLAND_DEBUG="client")
    process = subprocess.Popen([program], cwd=folder, env=environment,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    lines = []
    reader = threading.Thread(target=lambda: lines.extend(process.stderr), daemon=True)
    reader.start()

    def shown(title):
        marker = ('set_title("%s")' % title).encode()
        return any(marker in line for line in list(lines))
    try:
        deadline = time.monotonic() + 30
        while not (shown("Quenfir Volumnia 2.1") and shown("Book browser")):
            if process.poll() is not None:
                reader.join(5)
                raise WaylandError("Volumnia ended by itself with %d on the wayland platform: %s"
                                   % (process.returncode, b"".join(lines[-20:]).decode(errors="replace")))
            if time.monotonic() > deadline:
                raise WaylandError("Volumnia showed no windows on weston within 30 seconds")
            time.sleep(0.05)
        time.sleep(1)  # activation and the first frames
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise WaylandError("Volumnia did not end within 15 seconds of SIGTERM")
    reader.join(5)
    errors = b"".join(line for line in lines if not line.startswith(b"[")).decode(errors="replace")
    if process.returncode != 0:
        raise WaylandError("Volumnia ended with %d: %s" % (process.returncode, errors[-600:]))


def window_test(program, compositor, name):
    """One test of the window test program on the compositor, run on Qt's wayland platform."""
    result = subprocess.run([program, "--gtest_filter=" + name], env=compositor.environment(),
                            capture_output=True, text=True, timeout=60)
    ran = "[  PASSED  ] 1 test." in result.stdout
    check(result.returncode == 0 and ran, "%s on weston%s" % (
        name, "" if result.returncode == 0 and ran else ":\n" + (result.stdout + result.stderr)[-1500:]))


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    program, demo = os.path.abspath(argv[1]), argv[2]
    started = time.monotonic()
    folder = tempfile.mkdtemp(prefix="volumnia-demo-")
    try:
        for name in ("volumnia.kelt", "books.orbl"):
            shutil.copy(os.path.join(demo, name), folder)
        # Places that a guess minus decorations would not give back.
        write_settings(folder, {"MF_X": "300", "MF_Y": "300", "LV_X": "150", "LV_Y": "120"})
        before = read_settings(folder)
        with Compositor() as compositor:
            for run in (1, 2, 3):
                one_run(program, folder, compositor)
                after = read_settings(folder)
                check(all(after[k] == before[k] for k in POSITIONS),
                      "run %d on weston leaves %s as they were (%s)"
                      % (run, "/".join(POSITIONS), "/".join(after[k] for k in POSITIONS)))
            if len(argv) == 4:
                window_test(os.path.abspath(argv[3]), compositor,
                            "StatisticsFormTest.OpensDrawnWholeAndKeepsItsPlaceOnlyWherePlacesAreKnown")
    except Exception as error:  # noqa: BLE001 - whatever stops the test is its failure
        what = str(error) if isinstance(error, WaylandError) else "%s: %s" % (type(error).__name__, error)
        failures.append(what)
        print("FAIL " + what, flush=True)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("%d failure(s) in %.1f s" % (len(failures), time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
