"""An X server of its own (Xvfb) and xdotool against it: the real console driven as a person
drives it, by keys and clicks, with every wait a polled condition (a window by its title,
a file on disk), never a fixed sleep where something can be watched."""
import os
import shutil
import subprocess
import time


def wait_for(cond, timeout=30.0, step=0.1):
    """Polls cond() until it gives something true; returns it, or None after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        got = cond()
        if got:
            return got
        if time.monotonic() > deadline:
            return None
        time.sleep(step)


def missing_tools(*extra):
    """The tools a run under X needs that are not installed."""
    return [t for t in ("Xvfb", "xdotool") + extra if not shutil.which(t)]


class XServer:
    def __init__(self, size="1024x768"):
        r, w = os.pipe()
        # -displayfd: the server picks a free display and writes its number there;
        # -noreset: it keeps its state when its last client (xdotool) leaves.
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", size + "x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        if not wait_for(lambda: self.run("getdisplaygeometry").returncode == 0, 20):
            raise RuntimeError("the X server %s serves no client" % self.display)

    def env(self, **extra):
        e = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        e.update(extra)
        return e

    def run(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(),
                              capture_output=True, text=True)

    def windows(self, name):
        """Ids of the visible windows whose title matches the regular expression `name`."""
        return self.run("search", "--onlyvisible", "--name", name).stdout.split()

    def title(self, wid):
        return self.run("getwindowname", wid).stdout.strip()

    def wait_window(self, name, timeout=30.0, besides=()):
        """The newest visible window whose title matches `name` (and is not in `besides`)."""
        ids = wait_for(lambda: [i for i in self.windows(name) if i not in besides], timeout)
        return ids[-1] if ids else None

    def wait_gone(self, wid, timeout=30.0):
        return wait_for(lambda: wid not in self.windows("."), timeout) is not None

    def geometry(self, wid):
        """x, y, width, height of a window on the screen."""
        out = self.run("getwindowgeometry", "--shell", wid).stdout
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def key(self, wid, *keys):
        """Focuses window wid and presses keys there, one after the other."""
        if wid:
            self.run("windowfocus", "--sync", wid)
        self.run("key", "--delay", "120", *keys)

    def type(self, wid, text):
        if wid:
            self.run("windowfocus", "--sync", wid)
        self.run("type", "--delay", "60", text)

    def click(self, x, y, button=1):
        self.run("mousemove", "--sync", x, y)
        self.run("click", button)

    def shot(self, path, wid=None):
        """A screenshot of the screen (or of one window) as a PNG."""
        args = ["import", "-window", wid or "root", str(path)]
        subprocess.run(args, env=self.env(), check=False)

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
