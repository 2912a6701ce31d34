#!/usr/bin/python3
"""One catalogue on two computers that Syncthing keeps in step, played by two
Syncthing instances on loopback: each with its own home, API key and ports,
no relays, no discovery, no NAT, no browser; two folders shared (the working
folder with the settings, the folder with the database and its side files);
each side run as an ordinary user of its own where the test runs as root,
its programs on a computer named after the side (a UTS namespace).

While Volumnia runs on the laptop, its lock files reach the desktop, where
a change is refused at once, naming the laptop. The link is paused, both
sides change the books (the laptop adds two and changes book 7's publisher,
the desktop adds one, lends book 7 and changes book 9's title), the link
resumes, and Syncthing makes its conflict copies.
Checked: the finder lists every conflict copy of the database, its side
files and the settings file by the names Syncthing gave them (and nothing
else); the settings copy merges key by key (the larger CurrentIndex); a
leftover ".saving" of a killed save that travelled is never read and goes
with the next save. `volumnia-csv merge` on the desktop then gives a
catalogue with all five changes, the new books under distinct numbers, one
Merge entry in the history, and no copy left beside the catalogue. Last,
Volumnia runs on both while they are apart: once they meet, the run whose
lock Syncthing replaced refuses its next save, naming the other computer.

usage: syncthing.py SYNCTHING_PEER VOLUMNIA_CSV INSTALLED_SETTINGS
Exit status 0 when every check holds, 1 otherwise (Syncthing that cannot
start is a failure too, never a skip).
"""
import glob
import json
import os
import secrets
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request
import xml.etree.ElementTree as ElementTree

PEER, CSV, INSTALLED = (os.path.abspath(a) for a in sys.argv[1:4])
FOLDERS = ("work", "books")
failures = []


class SyncthingError(Exception):
    pass


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def as_user(uid):
    """A preexec function that drops to uid (with the group nogroup) when root."""
    def drop():
        if os.geteuid() == 0:
            os.setgroups([])
            os.setgid(65534)
            os.setuid(uid)
    return drop


class Side:
    """One computer: its user, its Syncthing and its two folders."""

    def __init__(self, root, name, uid):
        self.name = name
        self.uid = uid if os.geteuid() == 0 else os.geteuid()
        self.base = os.path.join(root, name)
        self.home = os.path.join(self.base, "home")
        self.folders = {f: os.path.join(self.base, f) for f in FOLDERS}
        self.gui = free_port()
        self.listen = free_port()
        self.key = secrets.token_hex(16)
        self.process = None
        for path in [self.base, self.home] + list(self.folders.values()):
            os.makedirs(path, exist_ok=True)
        for f in self.folders.values():
            # Syncthing's own folder marker, made by the test as a user would.
            os.makedirs(os.path.join(f, ".stfolder"), exist_ok=True)
        if os.geteuid() == 0:
            for top, dirs, files in os.walk(self.base):
                for entry in [top] + [os.path.join(top, n) for n in dirs + files]:
                    os.chown(entry, self.uid, 65534)

    def command(self, arguments):
        """arguments run as this side's user and, where the test may, on a
        computer of this side's name (a UTS namespace of its own), so that
        the lock files name two computers."""
        if os.geteuid() != 0:
            return arguments
        return ["unshare", "--uts", "--", "sh", "-c",
                'hostname "$0" && exec setpriv --reuid=%d --regid=65534 --clear-groups "$@"' % self.uid,
                self.name] + arguments

    def run(self, arguments, cwd=None, check_status=True, result=False):
        done = subprocess.run(self.command(arguments), cwd=cwd, capture_output=True, text=True,
                              env=dict(os.environ, HOME=self.home, LC_ALL="C"), timeout=60)
        if check_status and done.returncode != 0:
            raise SyncthingError("%s failed on the %s: %s %s" % (arguments, self.name, done.stdout, done.stderr))
        return done if result else done.stdout

    def generate(self):
        if not shutil.which("syncthing"):
            raise SyncthingError("Syncthing cannot start: syncthing is not installed (package syncthing)")
        self.run(["syncthing", "generate", "--home=" + self.home, "--no-default-folder"])
        self.device = self.run(["syncthing", "serve", "--home=" + self.home, "--device-id"]).strip()

    def configure(self, other):
        path = os.path.join(self.home, "config.xml")
        tree = ElementTree.parse(path)
        config = tree.getroot()
        options = config.find("options")
        for tag, value in (("listenAddress", "tcp://127.0.0.1:%d" % self.listen), ("globalAnnounceEnabled", "false"),
                           ("localAnnounceEnabled", "false"), ("relaysEnabled", "false"), ("natEnabled", "false"),
                           ("startBrowser", "false"), ("urAccepted", "-1"), ("autoUpgradeIntervalH", "0"),
                           ("crashReportingEnabled", "false"), ("reconnectionIntervalS", "1")):
            element = options.find(tag)
            if element is None:
                element = ElementTree.SubElement(options, tag)
            element.text = value
        gui = config.find("gui")
        gui.find("address").text = "127.0.0.1:%d" % self.gui
        gui.find("apikey").text = self.key
        device = ElementTree.SubElement(config, "device", id=other.device, name=other.name, compression="metadata",
                                        introducer="false", skipIntroductionRemovals="false", introducedBy="")
        ElementTree.SubElement(device, "address").text = "tcp://127.0.0.1:%d" % other.listen
        for f in FOLDERS:
            folder = ElementTree.Element("folder", id=f, label=f, path=self.folders[f], type="sendreceive",
                                         rescanIntervalS="3600", fsWatcherEnabled="true", fsWatcherDelayS="1",
                                         ignorePerms="false", autoNormalize="true")
            ElementTree.SubElement(folder, "filesystemType").text = "basic"
            for d in (self.device, other.device):
                ElementTree.SubElement(folder, "device", id=d, introducedBy="")
            ElementTree.SubElement(folder, "maxConflicts").text = "10"
            config.insert(0, folder)
        tree.write(path)

    def start(self):
        self.log = open(os.path.join(self.base, "syncthing.log"), "w")
        self.process = subprocess.Popen(
            ["syncthing", "serve", "--home=" + self.home, "--no-browser", "--no-restart", "--no-upgrade",
             "--gui-address=http://127.0.0.1:%d" % self.gui, "--gui-apikey=" + self.key],
            preexec_fn=as_user(self.uid), stdout=self.log, stderr=subprocess.STDOUT,
            env=dict(os.environ, HOME=self.home, STNODEFAULTFOLDER="1", STNOUPGRADE="1", STNORESTART="1"))
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                break
            try:
                if self.rest("GET", "/rest/system/ping").get("ping") == "pong":
                    return
            except OSError:
                pass
            time.sleep(0.3)
        raise SyncthingError("Syncthing cannot start on the %s: %s" % (self.name, self.log_tail()))

    def log_tail(self):
        self.log.flush()
        with open(self.log.name) as f:
            return f.read()[-2000:]

    def rest(self, method, path, body=None):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.gui, path), method=method,
                                         headers={"X-API-Key": self.key},
                                         data=None if body is None else json.dumps(body).encode())
        with urllib.request.urlopen(request, timeout=10) as answer:
            text = answer.read().decode()
            return json.loads(text) if text.strip() else {}

    def scan(self):
        for f in FOLDERS:
            self.rest("POST", "/rest/db/scan?folder=" + f)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def peer(self, *arguments, check_status=True, result=False):
        return self.run([PEER] + list(arguments), cwd=self.folders["work"], check_status=check_status, result=result)

    def hold(self):
        """A running Volumnia on this side: its locks held until release()."""
        holder = subprocess.Popen(self.command([PEER, "hold"]), cwd=self.folders["work"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                  env=dict(os.environ, HOME=self.home, LC_ALL="C"))
        if holder.stdout.readline().strip() != "held":
            holder.kill()
            raise SyncthingError("the %s could not take its locks: %s" % (self.name, holder.stderr.read()))
        return holder

    def files(self, folder):
        """The folder's files with their bytes, Syncthing's own (its folder
        files and its temporaries, which it never syncs) left out."""
        found = {}
        for name in sorted(os.listdir(self.folders[folder])):
            path = os.path.join(self.folders[folder], name)
            temporary = name.startswith((".syncthing.", "~syncthing~")) and name.endswith(".tmp")
            if name.startswith(".st") or temporary or not os.path.isfile(path):
                continue
            with open(path, "rb") as f:
                found[name] = f.read()
        return found


def wait_until(condition, what, sides, seconds=90):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        for side in sides:
            side.scan()
        time.sleep(1)
    state = "; ".join("%s %s: %s" % (side.name, folder, {n: len(b) for n, b in side.files(folder).items()})
                      for side in sides for folder in FOLDERS)
    raise SyncthingError("timed out waiting until %s (%s)" % (what, state))


def in_step(laptop, desktop):
    return all(laptop.files(f) == desktop.files(f) for f in FOLDERS)


def books_of(data):
    """The books of a database file: ID -> its ten fields."""
    lines = data.decode("cp1252").split("\r\n")
    books = {}
    for at in range(0, len(lines) - 10, 11):
        books[int(lines[at])] = lines[at + 1:at + 11]
    return books


def settings_with_database(path):
    with open(INSTALLED, "rb") as f:
        lines = f.read().decode("cp1252").split("\r\n")
    lines[lines.index("orbl_databasefile") + 1] = "../books/books.orbl"
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp1252"))


def scenario(root):
    laptop, desktop = Side(root, "laptop", 65534), Side(root, "desktop", 65533)
    sides = (laptop, desktop)
    try:
        for side in sides:
            side.generate()
        laptop.configure(desktop)
        desktop.configure(laptop)
        for side in sides:
            side.start()
        # The catalogue starts on the laptop: ten books, each a change with its history entry.
        work, books = laptop.folders["work"], laptop.folders["books"]
        settings_with_database(os.path.join(work, "volumnia.kelt"))
        open(os.path.join(books, "books.orbl"), "wb").close()
        if os.geteuid() == 0:
            for name in (os.path.join(work, "volumnia.kelt"), os.path.join(books, "books.orbl")):
                os.chown(name, laptop.uid, 65534)
        for n in range(1, 11):
            laptop.peer("add", "Title %d" % n, "Author %d" % n)
        wait_until(lambda: in_step(laptop, desktop) and "books.orbl.history" in desktop.files("books"),
                   "the desktop holds the laptop's catalogue", sides)
        check(len(books_of(desktop.files("books")["books.orbl"])) == 10, "the desktop holds the ten books")

        # Volumnia runs on the laptop; Syncthing carries its lock files over.
        # On the desktop they name the laptop, and a change there is refused
        # at once, naming it, never waiting on a process it cannot see.
        holder = laptop.hold()
        wait_until(lambda: b"host=laptop" in desktop.files("work").get("volumnia.kelt.lock", b""),
                   "the laptop's lock reaches the desktop", sides)
        started = time.monotonic()
        refused = desktop.peer("publisher", "3", "Refused Press", check_status=False, result=True)
        check(refused.returncode != 0 and "on the computer laptop" in refused.stderr,
              "the desktop is refused, the laptop named: " + refused.stderr.strip())
        check(time.monotonic() - started < 10, "the refusal comes at once")
        holder.stdin.close()
        holder.wait(timeout=30)
        wait_until(lambda: "volumnia.kelt.lock" not in desktop.files("work") and
                   "books.orbl.lock" not in desktop.files("books") and in_step(laptop, desktop),
                   "the laptop's locks are gone on both sides", sides)
        check(books_of(desktop.files("books")["books.orbl"])[3][2] != "Refused Press", "nothing was changed")

        # A save killed on the laptop leaves its half-written ".saving", which
        # Syncthing carries: never read as data on the desktop, whose next
        # save removes it, and the removal travels back.
        leftover = os.path.join(laptop.folders["books"], "books.orbl.saving")
        with open(leftover, "wb") as f:
            f.write(b"1\r\nHalf a bo")
        if os.geteuid() == 0:
            os.chown(leftover, laptop.uid, 65534)
        wait_until(lambda: "books.orbl.saving" in desktop.files("books"), "the leftover reaches the desktop", sides)
        desktop.peer("publisher", "3", "Desktop Press")
        wait_until(lambda: "books.orbl.saving" not in laptop.files("books") and in_step(laptop, desktop),
                   "the leftover is gone on both sides", sides)
        after = books_of(desktop.files("books")["books.orbl"])
        check(len(after) == 10 and after[3][2] == "Desktop Press", "the desktop's save read its own books only")

        # Apart: each pauses the other.
        for side, other in ((laptop, desktop), (desktop, laptop)):
            side.rest("POST", "/rest/system/pause?device=" + other.device)
        time.sleep(1)
        check(laptop.peer("add", "Laptop One", "A").strip() == "11", "the laptop's first new book is 11")
        laptop.peer("add", "Laptop Two", "B")
        laptop.peer("publisher", "7", "Laptop Press")
        time.sleep(1.5)  # the desktop's files are the newer ones
        check(desktop.peer("add", "Desktop One", "C").strip() == "11", "the desktop's new book is 11 as well")
        desktop.peer("lend", "7", "Anna", "12/8/2026")
        desktop.peer("title", "9", "Desktop Title")
        for side in sides:
            side.scan()
        time.sleep(2)
        for side, other in ((laptop, desktop), (desktop, laptop)):
            side.rest("POST", "/rest/system/resume?device=" + other.device)

        def conflicts():
            return sorted(n for n in desktop.files("books") if ".sync-conflict-" in n)
        wait_until(lambda: any(n.endswith(".orbl") for n in conflicts()) and in_step(laptop, desktop),
                   "Syncthing made its conflict copy and both sides agree", sides)
        print("conflict copies:", conflicts(), flush=True)

        # The finder, on the desktop, by the names Syncthing gave.
        listed = [line.split("\t") for line in desktop.peer("find", "../books/books.orbl").splitlines()]
        names = sorted(os.path.basename(path) for _, _, path in listed)
        expected = sorted(n for n in conflicts() if not n.endswith(".lock"))
        check(names == expected, "the finder lists %s (Syncthing made %s)" % (names, conflicts()))
        check(all(tool == "Syncthing" for tool, _, _ in listed), "each copy is Syncthing's")
        database_copies = [path for _, original, path in listed if original == "../books/books.orbl"]
        check(len(database_copies) == 1, "one copy of the database file")
        settings_copies = [n for n in desktop.files("work") if ".sync-conflict-" in n and n.endswith(".kelt")]
        kelt = [line.split("\t") for line in desktop.peer("find", "volumnia.kelt").splitlines()]
        check(sorted(os.path.basename(p) for _, _, p in kelt) == sorted(settings_copies),
              "the settings file's copies are found too: %s" % settings_copies)
        counters = []
        for name in [n for n in desktop.files("work") if n.endswith(".kelt")]:
            lines = desktop.files("work")[name].decode("cp1252").split("\r\n")
            counters.append(int(lines[lines.index("CurrentIndex") + 1]))
        check(desktop.peer("settings", "merge").strip() == str(len(settings_copies)), "the settings copies merge")
        lines = desktop.files("work")["volumnia.kelt"].decode("cp1252").split("\r\n")
        check(int(lines[lines.index("CurrentIndex") + 1]) == max(counters),
              "the merged settings keep the larger CurrentIndex of %s" % counters)
        check(not [n for n in desktop.files("work") if ".sync-conflict-" in n], "the settings copies moved aside")
        for side in sides:
            for folder in FOLDERS:
                leftovers = [n for n in side.files(folder) if n.endswith(".saving")]
                check(not leftovers, "no temporary of a save on the %s's %s folder" % (side.name, folder))

        help_text = desktop.run([CSV, "--help"], cwd=desktop.folders["work"], check_status=False)
        check(" merge" in help_text, "volumnia-csv has its merge command")
        if database_copies:
            desktop.run([CSV, "merge", database_copies[0]], cwd=desktop.folders["work"])
            merged = books_of(desktop.files("books")["books.orbl"])
            titles = sorted(b[0] for b in merged.values())
            check(len(merged) == 13, "the merged catalogue holds thirteen books, each under its own number (%d)"
                  % len(merged))
            check(all(t in titles for t in ("Laptop One", "Laptop Two", "Desktop One")), "the three new books")
            check(merged[7][2] == "Laptop Press" and merged[7][6] == "Anna", "book 7: the publisher and the loan")
            check(merged[9][0] == "Desktop Title", "book 9's new title")
            check(not os.path.exists(database_copies[0]) if os.path.isabs(database_copies[0]) else
                  not os.path.exists(os.path.join(desktop.folders["work"], database_copies[0])),
                  "the conflict copy was moved aside")
            entries = [line for line in desktop.run([CSV, "history"], cwd=desktop.folders["work"]).splitlines()
                       if line and not line.startswith(" ")]
            check(bool(entries) and " Merge" in entries[-1], "one change, the merge, is the last of the history: %s"
                  % entries[-1:])
            left = desktop.peer("find", "../books/books.orbl").strip()
            check(not left, "no conflict copy of the catalogue is left beside it: " + left)

        # Volumnia runs on both computers while they are apart; once they meet,
        # Syncthing keeps one lock file of each name. A run whose lock was
        # replaced refuses its next save, naming the other computer; a run
        # whose locks stand saves.
        for side, other in ((laptop, desktop), (desktop, laptop)):
            side.rest("POST", "/rest/system/pause?device=" + other.device)
        time.sleep(1)
        holders = {laptop.name: laptop.hold()}
        time.sleep(1.5)
        holders[desktop.name] = desktop.hold()
        for side, other in ((laptop, desktop), (desktop, laptop)):
            side.rest("POST", "/rest/system/resume?device=" + other.device)

        def locks(side):
            return [side.files(f).get(n, b"") for f, n in (("work", "volumnia.kelt.lock"), ("books", "books.orbl.lock"))]
        wait_until(lambda: in_step(laptop, desktop) and all(locks(laptop)), "the two runs' locks have met", sides)
        answers = {}
        for side in sides:
            holders[side.name].stdin.write("1 Press of the %s\n" % side.name)
            holders[side.name].stdin.flush()
            answers[side.name] = holders[side.name].stdout.readline().strip()
            holders[side.name].stdin.close()
            holders[side.name].wait(timeout=30)
        print("answers:", answers, flush=True)
        for side, other in ((laptop, desktop), (desktop, laptop)):
            replaced = any(b"host=" + other.name.encode() in lock for lock in locks(side))
            if replaced:
                check(answers[side.name].startswith("refused:") and "computer " + other.name in answers[side.name],
                      "the %s, whose lock was replaced, saves nothing and names the %s" % (side.name, other.name))
            else:
                check(answers[side.name] == "saved", "the %s, whose locks stand, saves" % side.name)
        check(any(a.startswith("refused:") for a in answers.values()), "one of the two runs lost its lock")
    finally:
        for side in sides:
            side.stop()


def main():
    root = tempfile.mkdtemp(prefix="volumnia-syncthing-")
    os.chmod(root, 0o755)
    try:
        scenario(root)
    except (SyncthingError, OSError, subprocess.SubprocessError, ValueError, KeyError) as error:
        check(False, "%s: %s" % (type(error).__name__, error))
    finally:
        if failures:
            for log in glob.glob(os.path.join(root, "*", "syncthing.log")):
                with open(log) as f:
                    print("--- " + log + "\n" + f.read()[-3000:])
        shutil.rmtree(root, ignore_errors=True)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
