# A desktop for tests that use Parvex as a person does: an X server (Xvfb)
# with a small window manager (openbox) and a session bus, the mouse and the
# keyboard through xdotool, and only what a person sees read back: window
# titles and sizes, screenshots (compared by region, with a tolerance), and
# files on disk.
#
# The display is PARVEX_TEST_DISPLAY when set (a number), else the first free
# one.

import os
import shutil
import subprocess
import tempfile
import time

from PIL import Image


class Failure(Exception):
    pass


def wait_for(what, check, timeout=15.0, interval=0.1):
    """Calls `check` until it gives something true; fails with `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


class Desktop:
    def __init__(self, shots_dir):
        self.shots_dir = shots_dir
        os.makedirs(shots_dir, exist_ok=True)
        self.shot_number = 0
        self.home = tempfile.mkdtemp(prefix="parvex-desktop-")
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.processes = []
        self.display = None

    # --- the session

    def start(self):
        wanted = os.environ.get("PARVEX_TEST_DISPLAY")
        if wanted:
            self.xvfb = subprocess.Popen(["Xvfb", ":" + wanted, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.display = ":" + wanted
        else:
            read, write = os.pipe()
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                          "-nolisten", "tcp"], pass_fds=[write],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write)
            with os.fdopen(read) as number:
                self.display = ":" + number.readline().strip()
        self.processes.append(self.xvfb)
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER"):
            self.env.pop(name, None)
        self.env.update({"DISPLAY": self.display, "HOME": self.home, "XDG_RUNTIME_DIR": self.runtime,
                         "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
                         "XDG_CACHE_HOME": os.path.join(self.home, "cache"), "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        wait_for("the X server " + self.display,
                 lambda: subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, capture_output=True)
                 .returncode == 0)
        # openbox now and then leaves at once, without a word, when it comes up
        # on a server that has only just started: it is started again then.
        for attempt in range(5):
            self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                       stderr=open(os.path.join(self.shots_dir, "openbox.log"), "w"))
            # openbox is up once it owns the screen's window manager selection.
            wait_for("openbox", lambda: self.wm.poll() is not None or self.wm_running(), 10)
            if self.wm.poll() is None:
                break
            time.sleep(0.3)
        else:
            raise Failure("openbox does not start")
        self.processes.append(self.wm)

    def wm_running(self):
        return b"_NET_SUPPORTING_WM_CHECK(WINDOW)" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True).stdout

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.end_session_leftovers()
        self.remove_home()

    def end_session_leftovers(self):
        """Ends what the session's programs left running (the bus, GVfs's
        daemons and their ssh): the processes with this session's runtime
        directory in their environment."""
        mark = ("XDG_RUNTIME_DIR=" + self.runtime).encode()
        for signal_number in (15, 9):
            left = []
            for entry in os.listdir("/proc"):
                if not entry.isdigit() or int(entry) == os.getpid():
                    continue
                try:
                    with open("/proc/%s/environ" % entry, "rb") as environ:
                        if mark in environ.read().split(b"\0"):
                            left.append(int(entry))
                except OSError:
                    continue
            for pid in left:
                try:
                    os.kill(pid, signal_number)
                except OSError:
                    pass
            if not left:
                return
            time.sleep(1.0)

    def mounts_below_home(self):
        with open("/proc/self/mountinfo") as table:
            points = [line.split()[4] for line in table if len(line.split()) > 4]
        points = [p.replace("\\040", " ") for p in points]
        return [p for p in points if p == self.home or p.startswith(self.home + "/")]

    def remove_home(self):
        # GVfs's FUSE mount lies below the session's runtime directory, and a
        # share there may show a whole file system: never remove through it.
        for point in sorted(self.mounts_below_home(), reverse=True):
            fusermount = shutil.which("fusermount3") or shutil.which("fusermount") or "fusermount"
            subprocess.run([fusermount, "-u", "-z", point], capture_output=True)
        if self.mounts_below_home():
            print("desktop: left %s in place, something is still mounted below it" % self.home)
            return

        def remove(path):
            for entry in os.scandir(path):
                if entry.is_dir(follow_symlinks=False) and not os.path.ismount(entry.path):
                    remove(entry.path)
                    os.rmdir(entry.path)
                elif not entry.is_dir(follow_symlinks=False):
                    os.unlink(entry.path)
        try:
            remove(self.home)
            os.rmdir(self.home)
        except OSError as error:
            print("desktop: could not remove %s: %s" % (self.home, error))

    def launch(self, command, log_name, extra_env=None):
        """Starts a program of the session; its output goes to a log beside the screenshots."""
        env = dict(self.env)
        env.update(extra_env or {})
        log = open(os.path.join(self.shots_dir, log_name), "w")
        process = subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        self.processes.append(process)
        return process

    def run(self, command, **kwargs):
        return subprocess.run(command, env=self.env, capture_output=True, text=True, **kwargs)

    # --- windows, as the window manager shows them

    def xdotool(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args]).stdout

    def visible_windows(self, name):
        """Visible windows whose title matches `name` (a regular expression), as (id, x, y, w, h)."""
        found = []
        for line in self.xdotool("search", "--onlyvisible", "--name", name).split():
            geometry = self.geometry(line)
            if geometry:
                found.append((line,) + geometry)
        return found

    def geometry(self, window):
        info = self.run(["xwininfo", "-id", window]).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        try:
            return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                    int(values["Width"]), int(values["Height"]))
        except (KeyError, ValueError):
            return None

    def window(self, name, size=None, timeout=15.0):
        """Waits for the one visible window titled `name` (of `size`, when given)."""
        def find():
            for window in self.visible_windows(name):
                if size is None or tuple(window[3:5]) == tuple(size):
                    return window
            return None
        return wait_for("window " + repr(name) + (" of %dx%d" % size if size else ""), find, timeout)

    def gone(self, name, timeout=15.0):
        wait_for("window %r to go" % name, lambda: not self.visible_windows(name), timeout)

    def state(self, window):
        """The ICCCM state: Normal, Iconic or Withdrawn."""
        text = self.run(["xprop", "-id", window, "WM_STATE"]).stdout
        for word in ("Normal", "Iconic", "Withdrawn"):
            if word in text:
                return word
        return ""

    def active(self):
        return self.xdotool("getactivewindow").strip()

    # --- mouse and keyboard

    def click(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.05)
        self.xdotool("click", button)

    def hover(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def drag(self, start, end):
        self.xdotool("mousemove", "--sync", *start)
        self.xdotool("mousedown", 1)
        steps = 10
        for step in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * step // steps
            y = start[1] + (end[1] - start[1]) * step // steps
            self.xdotool("mousemove", "--sync", x, y)
            time.sleep(0.02)
        self.xdotool("mouseup", 1)

    def type(self, text):
        self.xdotool("type", "--delay", 15, text)

    def key(self, *keys):
        self.xdotool("key", *keys)

    # --- what shows on the screen

    def screenshot(self, name):
        """The whole screen, kept as NN-name.png beside the run's other screenshots."""
        self.shot_number += 1
        path = os.path.join(self.shots_dir, "%02d-%s.png" % (self.shot_number, name))
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, capture_output=True)
        return Image.open(path).convert("RGB")


def near(colour, wanted, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def share_of(image, box, wanted, tolerance=40):
    """The share of pixels in `box` (left, top, right, bottom) within `tolerance` of `wanted`."""
    region = image.crop(box)
    pixels = list(region.getdata())
    return sum(1 for p in pixels if near(p, wanted, tolerance)) / max(1, len(pixels))


def difference(first, second, box, tolerance=24):
    """The share of pixels in `box` that differ by more than `tolerance` in some channel."""
    a = list(first.crop(box).getdata())
    b = list(second.crop(box).getdata())
    return sum(1 for p, q in zip(a, b) if not near(p, q, tolerance)) / max(1, len(a))
