"""A private real desktop for the desktop tests: an X server (Xvfb) on a free
display, the openbox window manager, a D-Bus session (which starts the
accessibility bus on demand), and Volumnia run on it with the xcb platform.
Windows are driven with xdotool and looked at with xprop and xwininfo, as a
user's desktop sees them; controls are read through AT-SPI.

Every wait has a deadline; whatever cannot be started or does not happen in
time raises DesktopError with a message that says what.
"""
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time


class DesktopError(Exception):
    pass


def _wait(what, probe, seconds=10.0):
    """Polls probe until it returns something true; returns that."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise DesktopError("timed out waiting for " + what)
        time.sleep(0.05)


def _read_line(fd, what, seconds):
    """The first line written to a pipe by a starting server."""
    data = b""
    deadline = time.monotonic() + seconds
    while b"\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise DesktopError(what + " did not report in %g seconds" % seconds)
        chunk = os.read(fd, 256)
        if not chunk:
            raise DesktopError(what + " ended before it reported")
        data += chunk
    return data.split(b"\n")[0].decode().strip()


def run(*command):
    """Runs a tool of the desktop and returns its standard output."""
    done = subprocess.run(command, capture_output=True, text=True, timeout=10)
    if done.returncode != 0:
        raise DesktopError("%s failed: %s" % (" ".join(command), done.stderr.strip()))
    return done.stdout


class Desktop:
    """Xvfb + openbox + D-Bus for the length of a with block."""

    def __init__(self, width=1024, height=768):
        self.size = (width, height)
        self.processes = []
        self.folder = tempfile.mkdtemp(prefix="volumnia-desktop-")

    def __enter__(self):
        try:
            self._start_x()
            self._start_dbus()
            self._start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *_):
        for process in reversed(Volumnia.running + self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def _spawn(self, command, **options):
        log = open(os.path.join(self.folder, os.path.basename(command[0]) + ".log"), "w")
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=log, **options)
        self.processes.append(process)
        return process

    def _log(self, name):
        try:
            with open(os.path.join(self.folder, name + ".log")) as log:
                return log.read().strip()[-600:]
        except OSError:
            return ""

    def _start_x(self):
        if not shutil.which("Xvfb"):
            raise DesktopError("the X server cannot start: Xvfb is not installed (package xvfb)")
        read_end, write_end = os.pipe()
        width, height = self.size
        try:
            self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                         "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
            os.close(write_end)
            try:
                display = _read_line(read_end, "the X server (Xvfb)", 10)
            except DesktopError as error:
                raise DesktopError("the X server cannot start: %s\n%s" % (error, self._log("Xvfb")))
        finally:
            os.close(read_end)
        os.environ["DISPLAY"] = ":" + display
        os.environ.pop("WAYLAND_DISPLAY", None)

    def _start_dbus(self):
        read_end, write_end = os.pipe()
        try:
            self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % write_end],
                        pass_fds=(write_end,))
            os.close(write_end)
            address = _read_line(read_end, "the D-Bus session bus", 10)
        finally:
            os.close(read_end)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ.setdefault("XDG_RUNTIME_DIR", self.folder)

    def _start_window_manager(self):
        self._spawn(["openbox", "--sm-disable"])
        _wait("the window manager (openbox)",
              lambda: "window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                    capture_output=True, text=True).stdout)


class Window:
    """A top-level window of the desktop, by its X window id."""

    def __init__(self, xid):
        self.xid = int(xid)

    def prop(self, name):
        """The value part of one property as xprop prints it ('' when unset)."""
        out = subprocess.run(["xprop", "-id", str(self.xid), name], capture_output=True, text=True).stdout
        if "=" not in out:
            return ""
        return out.split("=", 1)[1].strip()

    def title(self):
        value = self.prop("_NET_WM_NAME")
        return value[1:-1] if value.startswith('"') else value

    def frame_extents(self):
        """(left, right, top, bottom) of the window manager's frame, or None before it framed it."""
        value = self.prop("_NET_FRAME_EXTENTS")
        return tuple(int(v) for v in value.split(",")) if value else None

    def frame_position(self):
        """The top-left corner of the frame on the screen."""
        extents = _wait("the frame of window %d" % self.xid, self.frame_extents)
        info = run("xwininfo", "-id", str(self.xid))
        values = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        x = int(values["Absolute upper-left X"])
        y = int(values["Absolute upper-left Y"])
        return x - extents[0], y - extents[2]

    def frame_geometry(self):
        """(x, y, width, height) of the frame on the screen."""
        extents = _wait("the frame of window %d" % self.xid, self.frame_extents)
        info = run("xwininfo", "-id", str(self.xid))
        values = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        x, y = self.frame_position()
        return (x, y, int(values["Width"]) + extents[0] + extents[1],
                int(values["Height"]) + extents[2] + extents[3])

    def move(self, x, y):
        """Moved by the window manager, as a user's drag would."""
        run("xdotool", "windowmove", "--sync", str(self.xid), str(x), str(y))

    def states(self):
        return {state.strip() for state in self.prop("_NET_WM_STATE").split(",") if state.strip()}

    def transient_for(self):
        out = subprocess.run(["xprop", "-id", str(self.xid), "WM_TRANSIENT_FOR"], capture_output=True,
                             text=True).stdout
        return int(out.split("#")[-1].strip(), 16) if "#" in out else None

    def activate(self):
        run("xdotool", "windowactivate", "--sync", str(self.xid))

    def click(self, x, y):
        """A left click at a point of the window's client area."""
        self.activate()
        run("xdotool", "mousemove", "--window", str(self.xid), str(x), str(y), "click", "1")

    def key(self, *keys):
        """Keys typed into this window, which is made the active one first."""
        self.activate()
        run("xdotool", "key", "--clearmodifiers", "--delay", "40", *keys)


def stacking():
    """The managed windows from bottom to top."""
    out = run("xprop", "-root", "_NET_CLIENT_LIST_STACKING")
    return [int(v.strip(), 16) for v in out.split("#", 1)[1].split(",")] if "#" in out else []


def find_window(title, seconds=10.0):
    """The visible window whose title is exactly title."""
    def probe():
        done = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                              capture_output=True, text=True)
        ids = done.stdout.split()
        return ids[0] if ids else None
    return Window(_wait("a window titled %r" % title, probe, seconds))


def window_gone(window, seconds=10.0):
    def probe():
        return "IsViewable" not in subprocess.run(["xwininfo", "-id", str(window.xid)],
                                                  capture_output=True, text=True).stdout
    _wait("window %d to close" % window.xid, probe, seconds)


class Volumnia:
    """One run of the real program in a working folder, on the desktop."""

    running = []  # runs not ended yet; the desktop kills them when it goes

    def __init__(self, program, folder, **extra_environment):
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           **extra_environment)
        self.process = subprocess.Popen([program], cwd=folder, env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        Volumnia.running.append(self.process)

    def end(self):
        """Ends the run the orderly way (as a session end does), which writes the settings back."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise DesktopError("Volumnia did not end within 15 seconds of SIGTERM")
        finally:
            Volumnia.running.remove(self.process)
        errors = self.process.stderr.read().decode()
        if self.process.returncode != 0:
            raise DesktopError("Volumnia ended with %d: %s" % (self.process.returncode, errors[-600:]))
        # Qt's word for a QObject made on another thread before the application
        # object (start-up work runs on threads of its own there).
        if "not created in the main thread" in errors:
            raise DesktopError("Volumnia's application object is not on its main thread: %s" % errors[-600:])


def accessible_node(applications, name, seconds=10.0, roles=None):
    """The AT-SPI node of that accessible name (and one of those role names,
    when given) in the application of one of those names."""
    import pyatspi  # connects to the session bus of this desktop

    def find(node, depth=0):
        if node is None or depth > 30:
            return None
        try:
            if node.name == name and (roles is None or node.getRoleName() in roles):
                return node
            for i in range(node.childCount):
                found = find(node.getChildAtIndex(i), depth + 1)
                if found:
                    return found
        except Exception:  # a node that went away while walking
            return None
        return None

    def probe():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name in applications:
                return find(app)
        return None

    return _wait("%r on the accessibility bus" % name, probe, seconds)


def accessible_text(applications, name, seconds=10.0):
    """The text a screen reader reads from the control of that accessible
    name in the application of one of those names (AT-SPI Text interface)."""
    node = accessible_node(applications, name, seconds)
    try:
        text = node.queryText()
    except NotImplementedError:
        raise DesktopError("%r offers no text to AT-SPI, only its name" % name)
    return text.getText(0, text.characterCount)
