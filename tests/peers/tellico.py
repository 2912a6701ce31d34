#!/usr/bin/python3
"""volumnia-csv and Tellico itself: a catalogue with every detail, a lent
book with its due date and a book at home that keeps its last loaner is
exported as a Tellico data file; Debian's Tellico, on a private X server
(Xvfb) and D-Bus session, opens it, is given one edit through its D-Bus
interface (made and taken back, so that File > Save is offered) and saves it
with Ctrl+S; that save, imported into an empty catalogue, must export in
Volumnia's own layout byte for byte as the first catalogue does: every
field, detail and loan came through Tellico.

usage: tellico.py VOLUMNIA_CSV
Exit status 0 when every check holds, 1 otherwise (a Tellico, X server or
D-Bus session that cannot be started is a failure too, never a skip).
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from catalogue import Catalogue, BOOKS_CSV  # noqa: E402

failures = []


class PeerError(Exception):
    pass


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def wait_for(what, condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.5)
    raise PeerError("timed out waiting for " + what)


class Session:
    """A private X server and D-Bus session bus, and Tellico in them."""

    def __init__(self, work):
        self.work = work
        self.processes = []
        self.environment = dict(os.environ)

    def start(self, document):
        for tool, package in (("Xvfb", "xvfb"), ("dbus-daemon", "dbus-daemon"), ("xdotool", "xdotool"),
                              ("dbus-send", "dbus"), ("tellico", "tellico")):
            if not shutil.which(tool):
                raise PeerError("%s cannot start: it is not installed (package %s)" % (tool, package))
        home = os.path.join(self.work, "home")
        os.makedirs(os.path.join(home, ".config"))
        with open(os.path.join(home, ".config", "tellicorc"), "w") as out:
            out.write("[TipOfDay]\nRunOnStart=false\n")
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700)
        display = self.start_x()
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=30)
        lines = bus.stdout.split()
        if bus.returncode != 0 or len(lines) < 2:
            raise PeerError("the D-Bus session cannot start")
        self.bus_pid = int(lines[1])
        self.environment.update(DISPLAY=":" + display, DBUS_SESSION_BUS_ADDRESS=lines[0], HOME=home,
                                XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                                QT_QPA_PLATFORM="xcb", QTWEBENGINE_DISABLE_SANDBOX="1",
                                QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox")
        self.log = open(os.path.join(self.work, "tellico.log"), "w")
        self.processes.append(subprocess.Popen(["tellico", document], env=self.environment,
                                               stdout=self.log, stderr=self.log))

    def start_x(self):
        """An X server on a display of its own, far from the low numbers
        other desktops and test runs take; ready once it answers."""
        for _ in range(20):
            display = str(random.randint(200, 999))
            if os.path.exists("/tmp/.X%s-lock" % display):
                continue
            read, write = os.pipe()
            xvfb = subprocess.Popen(["Xvfb", ":" + display, "-displayfd", str(write), "-screen", "0",
                                     "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write,),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write)
            ready = os.read(read, 16).decode().strip()
            os.close(read)
            answers = ready and subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ,
                                               DISPLAY=":" + ready), stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL, timeout=30).returncode == 0
            if answers:
                self.processes.append(xvfb)
                return ready
            xvfb.kill()
            xvfb.wait()
        raise PeerError("the X server cannot start")

    def running(self):
        return self.processes[-1].poll() is None

    def run(self, *command):
        return subprocess.run(list(command), env=self.environment, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, timeout=30)

    def tellico(self, *arguments):
        return self.run("dbus-send", "--session", "--print-reply", "--dest=org.kde.tellico", *arguments)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
        if getattr(self, "bus_pid", None):
            try:
                os.kill(self.bus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="volumnia-tellico-")
    session = Session(work)
    try:
        first = Catalogue(program, os.path.join(work, "first"))
        first.run("import", os.path.join(first.folder, "books.csv"), text=BOOKS_CSV)
        reference = first.run("export", "--format", "volumnia")
        document = os.path.join(work, "books.tc")
        first.run("export", "--format", "tellico", document)
        written = os.stat(document).st_mtime_ns

        session.start(document)
        wait_for("Tellico on the session bus",
                 lambda: not session.running() or "org.kde.tellico" in session.run("dbus-send", "--session", "--print-reply",
                                                          "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                          "org.freedesktop.DBus.ListNames").stdout, 120)
        if not session.running():
            raise PeerError("Tellico ended before it opened the file")
        window = wait_for("Tellico's window on books.tc",
                          lambda: session.run("xdotool", "search", "--name", "books.tc").stdout.split(), 60)[0]
        check(session.tellico("/Collections", "org.kde.tellico.entryValues", "int32:1",
                              "string:location").stdout.count("Shelf 3") == 1,
              "Tellico opened our file with its details")
        # An edit made and taken back: the document is modified, so Save is offered.
        for value in ("edited", "Shelf 3"):
            session.tellico("/Collections", "org.kde.tellico.setEntryValue", "int32:1", "string:location",
                            "string:" + value)
        session.run("xdotool", "windowfocus", "--sync", window)
        session.run("xdotool", "key", "--clearmodifiers", "ctrl+s")
        wait_for("Tellico's save", lambda: os.stat(document).st_mtime_ns != written and
                 zipfile.is_zipfile(document) and
                 "*" not in session.run("xdotool", "getwindowname", window).stdout, 60)
        with zipfile.ZipFile(document) as archive:
            saved = archive.read("tellico.xml").decode("utf-8")
        check("<borrower" in saved and "<loan " in saved, "Tellico's save holds the loan")

        again = Catalogue(program, os.path.join(work, "again"))
        print(again.run("import", document), end="")
        back = again.run("export", "--format", "volumnia")
        check(back == reference, "the books come back from Tellico's save exactly, loans and details included")
        if back != reference:
            for a, b in zip(reference.splitlines(), back.splitlines()):
                if a != b:
                    print("  was: " + a + "\n  now: " + b)
    except (PeerError, RuntimeError, subprocess.TimeoutExpired) as error:
        check(False, str(error))
        log = os.path.join(work, "tellico.log")
        if os.path.exists(log):
            with open(log, errors="replace") as text:
                print("Tellico's output:\n" + text.read()[-3000:])
    finally:
        session.stop()
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed" % len(failures) if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
