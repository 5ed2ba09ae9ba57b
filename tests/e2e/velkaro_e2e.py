"""Driver of the end-to-end tests: Windows programs under Wine on an X display, used as a person
would use them (xdotool moves the mouse and presses keys) and watched through observer.exe's
snapshots of the Wine desktop and the target programs' report files.

Python 3 standard library only. One Session is one scenario:

    with Session(build_dir, "infra", cli=cli_path) as s:
        target = EditTarget(s, text=letter).start()
        s.double_click(*target.word_point())
        target.wait_state(lambda st: st["sel"][1] > st["sel"][0], what="a selected word")

What a Session does:
- display: $DISPLAY when set, else an Xvfb of its own (1024x768x24);
- Wine prefix: $WINEPREFIX when set (created first if it is empty), else a fresh one in a
  temporary folder (WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i), removed at the end;
- a Wine virtual desktop with a taskbar, `wine explorer /desktop=shell,1024x768 observer.exe`;
  programs join it with `wine explorer /desktop=shell PROGRAM` (a plain `wine PROGRAM` would
  open its windows outside the desktop, on the X root);
- everything Wine prints goes to <artifacts>/wine.log, never to the test's output; at the end
  `wineserver -k` stops every Wine process of the prefix.

Wine facts this relies on (checked with Wine 8.0):
- The taskbar appears only for the desktop named "shell" (or one with EnableShell=1 under
  HKCU\\Software\\Wine\\Explorer\\Desktops\\<name>); any other name gives a bare desktop.
- The desktop's X window sits at the root's origin, so screen coordinates of Windows and of the X
  root agree (the Session still reads the window's position and corrects by it).
- Notification-area icons are not windows: explorer draws them at the right end of the taskbar
  ("Shell_TrayWnd", at the bottom). tray_icons() finds them in a capture of that area; an icon's
  tooltip (a "tooltips_class32" window, text in the snapshot) tells whose it is.
- A menu handle is meaningless in another process under Wine, so the observer reads popup
  menus through menu_probe.dll, hooked into the menu's thread.
"""

import json
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
from collections import Counter
from pathlib import Path

DESKTOP_NAME = "shell"  # the name that gives Wine's virtual desktop its taskbar
DESKTOP_SIZE = (1024, 768)
TARGET_TITLE = "Velkaro test target"
POLL_SECONDS = 0.03
DEFAULT_TIMEOUT = 10.0
DESKTOP_TIMEOUT = 90.0  # the first program of a fresh prefix waits for Wine's own start-up


class E2EFailure(AssertionError):
    """A scenario's failure: what was expected and what was seen instead."""


def windows_path(path):
    """The Windows path of a host path under Wine (drive Z: is the host's root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def check(condition, message):
    """Fails the scenario with `message` unless `condition` holds."""
    if not condition:
        raise E2EFailure(message)


def centre(rect):
    """The middle of a [left, top, right, bottom] rectangle."""
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def menu_text(text):
    """A menu item's text as it reads: accelerator marks and the shortcut part removed."""
    text = text.split("\t", 1)[0]
    return text.replace("&&", "\0").replace("&", "").replace("\0", "&")


# ---- Scenarios ---------------------------------------------------------------------------------

SCENARIOS = {}


def scenario(name=None, needs_cli=False):
    """Registers a scenario function f(session). run_e2e.py runs it; CMake makes it a test."""

    def register(function):
        function.needs_cli = needs_cli
        SCENARIOS[name or function.__name__] = function
        return function

    return register


# ---- Snapshots of the desktop ------------------------------------------------------------------

class Snapshot:
    """One observer.exe snapshot (see targets/observer.cpp for every field)."""

    def __init__(self, data):
        self.data = data

    def __getitem__(self, key):
        return self.data[key]

    @property
    def seq(self):
        return self.data["seq"]

    def windows(self, title=None, cls=None, pid=None, visible=True):
        """Top-level windows that match every criterion given."""
        found = []
        for w in self.data["windows"]:
            if visible is not None and w["visible"] != visible:
                continue
            if title is not None and w["title"] != title:
                continue
            if cls is not None and w["class"] != cls:
                continue
            if pid is not None and w["pid"] != pid:
                continue
            found.append(w)
        return found

    def window(self, **criteria):
        """The one window that matches (None when none does; a failure when several do)."""
        found = self.windows(**criteria)
        check(len(found) <= 1, f"{len(found)} windows match {criteria}: {found}")
        return found[0] if found else None

    @staticmethod
    def control(window, control_id):
        """The control of a dialog window (a snapshot's "#32770" record) with that id, or None."""
        for c in window.get("controls", []):
            if c["id"] == control_id:
                return c
        return None

    def window_by_handle(self, hwnd):
        for w in self.data["windows"]:
            if w["hwnd"] == hwnd:
                return w
        return None

    @property
    def focus(self):
        return self.data["focus"]

    @property
    def foreground(self):
        return self.data["foreground"]

    @property
    def menus(self):
        return self.data["menus"]

    @property
    def taskbar(self):
        return self.data["taskbar"]

    def tooltips(self):
        """The texts of the visible tooltips."""
        return [w.get("text", "") for w in self.windows(cls="tooltips_class32")]

    def exe_of(self, pid):
        for p in self.data["processes"]:
            if p["pid"] == pid:
                return p["exe"]
        return None

    def pids_of(self, exe):
        return [p["pid"] for p in self.data["processes"] if p["exe"].lower() == exe.lower()]

    def menu_item(self, text):
        """(menu, item) of the first open menu's item that reads `text`, or None."""
        for menu in self.menus:
            for item in menu.get("items") or []:
                if not item["separator"] and menu_text(item["text"]) == text:
                    return menu, item
        return None

    def describe(self):
        """A few lines on what a person would see: for failure messages."""
        lines = [f"snapshot {self.seq}: foreground {self.foreground}, focus {self.focus}"]
        for w in self.windows():
            if w["class"] in ("Shell_TrayWnd",):
                continue
            extra = ""
            if w["class"] == "#32770":
                texts = [c.get("text", f"<{c.get('text_length')} chars>") for c in w.get("controls", [])]
                extra = f" controls {texts}"
            if w["class"] == "tooltips_class32":
                extra = f" text {w.get('text')!r}"
            lines.append(f"  window {w['hwnd']} {w['class']!r} {w['title']!r} {w['rect']} pid {w['pid']}"
                         f" ({self.exe_of(w['pid'])}){extra}")
        for m in self.menus:
            items = [menu_text(i["text"]) for i in (m.get("items") or []) if not i["separator"]]
            lines.append(f"  menu {m['hwnd']} {m['rect']} items {items} {m.get('error', '')}")
        return "\n".join(lines)


# ---- X display and Wine prefix -----------------------------------------------------------------

class _OwnXvfb:
    """An Xvfb started for one session; it picks a free display number itself (-displayfd)."""

    def __init__(self, size, log):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size[0]}x{size[1]}x24", "-nolisten", "tcp"],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.stop()
                raise E2EFailure("Xvfb did not report its display (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


# ---- The session -------------------------------------------------------------------------------

class Session:
    """One scenario's desktop: display, prefix, Wine desktop with the observer, input, artifacts."""

    def __init__(self, build_dir, scenario_name, cli=None, artifacts=None, out=sys.stdout):
        self.build_dir = Path(build_dir).resolve()
        self.scenario = scenario_name
        self.cli = Path(cli) if cli else None
        self.artifacts = Path(artifacts) if artifacts else self.build_dir / "e2e-artifacts" / scenario_name
        self.out = out
        self.timings = {}
        self.round_times_us = []
        self._programs = None
        self._xvfb = None
        self._own_prefix = None
        self._desktop = None
        self._launched = []
        self._last_snapshot = None
        self._last_seq_change = None
        self._screenshots = 0
        self._tray_tips = {}
        self._started = time.monotonic()
        self.offset = (0, 0)

    # -- life cycle

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, kind, value, traceback):
        if kind is not None and not issubclass(kind, KeyboardInterrupt):
            try:
                self.screenshot("failure")
            except Exception as error:  # the failure matters more than its picture
                self.step(f"no failure screenshot: {error}")
        self.close()
        return False

    def start(self):
        if self.artifacts.exists():
            shutil.rmtree(self.artifacts)
        self.artifacts.mkdir(parents=True)
        self.log = open(self.artifacts / "wine.log", "ab", buffering=0)
        self.env = dict(os.environ)
        self.env["WINEDEBUG"] = "-all"
        self.env["LC_ALL"] = "ru_RU.UTF-8"  # Wine's ANSI code page becomes 1251
        self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        if not self.env.get("DISPLAY"):
            with open(self.artifacts / "xvfb.log", "ab") as xlog:
                self._xvfb = _OwnXvfb(DESKTOP_SIZE, xlog)
            self.env["DISPLAY"] = self._xvfb.display
            self.step(f"started Xvfb on {self._xvfb.display}")
        self._prepare_prefix()
        self._start_desktop()

    def close(self):
        """Ends every Wine process of the prefix, then what the session itself started."""
        if getattr(self, "env", None) and self.env.get("WINEPREFIX"):
            self._wineserver("-k")
            self._wineserver("-w")
        for process in self._launched + ([self._desktop] if self._desktop else []):
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self._launched = []
        self._desktop = None
        if self._xvfb:
            self._xvfb.stop()
            self._xvfb = None
        if self._own_prefix:
            shutil.rmtree(self._own_prefix, ignore_errors=True)
            self._own_prefix = None
        if self.round_times_us:
            ordered = sorted(self.round_times_us)
            self.timings["observer_round_ms_median"] = round(ordered[len(ordered) // 2] / 1000, 1)
            self.timings["observer_round_ms_max"] = round(ordered[-1] / 1000, 1)
        self.timings["scenario_s"] = round(time.monotonic() - self._started, 2)
        if self.artifacts.exists():
            (self.artifacts / "timings.json").write_text(json.dumps(self.timings, indent=1) + "\n")
        if getattr(self, "log", None):
            self.log.close()
            self.log = None

    def step(self, text):
        """Says what the scenario does now (the test's output, and steps.log)."""
        line = f"[{time.monotonic() - self._started:7.2f}s] {text}"
        print(line, file=self.out, flush=True)
        if self.artifacts.exists():
            with open(self.artifacts / "steps.log", "a", encoding="utf-8") as steps:
                steps.write(line + "\n")

    def _wineserver(self, option):
        subprocess.run(["wineserver", option], env=self.env, stdin=subprocess.DEVNULL, stdout=self.log,
                       stderr=self.log, timeout=60, check=False)

    def _prepare_prefix(self):
        prefix = self.env.get("WINEPREFIX")
        if not prefix:
            self._own_prefix = tempfile.mkdtemp(prefix="velkaro-e2e-")
            prefix = os.path.join(self._own_prefix, "prefix")
            self.env["WINEPREFIX"] = prefix
        prefix = Path(prefix)
        if not (prefix / ".update-timestamp").exists():
            self.step(f"creating the Wine prefix {prefix}")
            started = time.monotonic()
            prefix.mkdir(parents=True, exist_ok=True)
            # The same lock as scripts/wine-run: one creator when several runs find it missing.
            with open(str(prefix) + ".lock", "w") as lock:
                import fcntl
                fcntl.flock(lock, fcntl.LOCK_EX)
                if not (prefix / ".update-timestamp").exists():
                    env = dict(self.env, WINEDLLOVERRIDES="mscoree,mshtml=")
                    subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                   stderr=self.log, timeout=300, check=False)
            self.timings["prefix_s"] = round(time.monotonic() - started, 2)
            check((prefix / ".update-timestamp").exists(), f"wineboot did not create {prefix} (see wine.log)")
        check((prefix / "dosdevices" / "z:").exists(), f"{prefix} has no drive Z: for the host's files")
        self.prefix = prefix
        # Nothing of an earlier run may still be on the desktop (hooks are global).
        self._wineserver("-k")
        self._wineserver("-w")

    def _start_desktop(self):
        self.snapshot_file = self.artifacts / "desktop.json"
        observer = self.program("observer.exe")
        check((observer.parent / "menu_probe.dll").exists(), f"menu_probe.dll is missing beside {observer}")
        self.step(f"starting the Wine desktop with {observer.name}")
        started = time.monotonic()
        self._desktop = subprocess.Popen(
            ["wine", "explorer", f"/desktop={DESKTOP_NAME},{DESKTOP_SIZE[0]}x{DESKTOP_SIZE[1]}",
             windows_path(observer), "--out", windows_path(self.snapshot_file)],
            env=self.env, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        shot = self.wait_until(
            lambda: self._snapshot_if(lambda s: s.taskbar and s.taskbar["visible"]),
            DESKTOP_TIMEOUT, "the Wine desktop with its taskbar")
        self.timings["desktop_s"] = round(time.monotonic() - started, 2)
        self._find_desktop_window()
        self.step(f"desktop up in {self.timings['desktop_s']} s, taskbar {shot.taskbar['rect']},"
                  f" X offset {self.offset}")

    def _find_desktop_window(self):
        tree = self.run_x(["xwininfo", "-root", "-tree"]).stdout
        match = re.search(r'"%s - Wine desktop".*?(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)'
                          % re.escape(DESKTOP_NAME), tree)
        check(match is not None, f"no X window of the Wine desktop in:\n{tree}")
        width, height, x, y = (int(g) for g in match.groups())
        check((width, height) == DESKTOP_SIZE, f"the Wine desktop is {width}x{height}, not {DESKTOP_SIZE}")
        self.offset = (x, y)

    # -- programs

    def program(self, name):
        """A program of the build tree, found by its file name."""
        if self._programs is None:
            self._programs = {}
            for root, dirs, files in os.walk(self.build_dir):
                dirs[:] = [d for d in dirs if d not in ("CMakeFiles", "e2e-artifacts", "googletest")]
                for f in files:
                    self._programs.setdefault(f.lower(), Path(root) / f)
        path = self._programs.get(name.lower())
        check(path is not None, f"{name} is not in the build tree {self.build_dir}: build its target first")
        return path

    def install(self, names, folder="velkaro"):
        """Copies built files into C:\\<folder> of the prefix (a program that writes files beside
        itself needs a folder of its own); returns the Windows path of the first one."""
        destination = self.prefix / "drive_c" / folder
        destination.mkdir(parents=True, exist_ok=True)
        for name in names:
            shutil.copy2(self.program(name), destination / Path(name).name)
        return f"C:\\{folder}\\{Path(names[0]).name}"

    def installed_file(self, folder, name):
        """The host path of a file in C:\\<folder> of the prefix (velkaro.ini, for instance)."""
        return self.prefix / "drive_c" / folder / name

    def launch(self, program, *args):
        """Starts a program on the session's desktop. `program` is a host path or a Windows path;
        arguments are passed as they are (host paths must be given through windows_path)."""
        command = str(program) if isinstance(program, str) and ":" in program else windows_path(program)
        self.step(f"launching {command} {' '.join(args)}")
        joiner = subprocess.Popen(["wine", "explorer", f"/desktop={DESKTOP_NAME}", command, *args], env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        self._launched.append(joiner)
        return joiner

    # -- observing

    def snapshot(self):
        """The newest snapshot (None before the first)."""
        try:
            data = json.loads(self.snapshot_file.read_text(encoding="utf-8"))
        except (FileNotFoundError, json.JSONDecodeError):
            return self._last_snapshot
        shot = Snapshot(data)
        if self._last_snapshot is None or shot.seq != self._last_snapshot.seq:
            self._last_seq_change = time.monotonic()
            total = data.get("previous_round_us", {}).get("total", -1)
            if total > 0:
                self.round_times_us.append(total)
        self._last_snapshot = shot
        return shot

    def _snapshot_if(self, predicate, fresh_from=0):
        shot = self.snapshot()
        if shot is None or shot.seq < fresh_from:
            return None
        return shot if predicate(shot) else None

    def current_seq(self):
        shot = self.snapshot()
        return shot.seq if shot else 0

    def wait_until(self, predicate, timeout=DEFAULT_TIMEOUT, what="a condition", seen=None):
        """Polls predicate() until it returns something true and returns that. On time-out: a
        screenshot and a failure that says what was awaited and what was seen last (seen(), or
        the last snapshot)."""
        deadline = time.monotonic() + timeout
        last_look = time.monotonic()
        stalled = False
        while True:
            value = predicate()
            if value:
                return value
            now = time.monotonic()
            if now - last_look >= 1 and self._desktop is not None:
                self.snapshot()  # keeps the observer's heartbeat current whatever is awaited
                last_look = now
                stalled = self._last_seq_change is not None and now - self._last_seq_change > 10
            if now >= deadline or stalled:
                break
            time.sleep(POLL_SECONDS)
        picture = self.screenshot("timeout")
        last = seen() if seen else (self._last_snapshot.describe() if self._last_snapshot else "no snapshot")
        reason = "the observer stopped writing snapshots" if stalled else f"timed out after {timeout} s"
        raise E2EFailure(f"{reason} waiting for {what}\nlast seen:\n{last}\nscreenshot: {picture}")

    def wait_snapshot(self, predicate, timeout=DEFAULT_TIMEOUT, what="a condition on the desktop"):
        """Waits for a snapshot taken after this call for which predicate(snapshot) is true;
        returns (snapshot, value)."""
        fresh_from = self.current_seq() + 2  # the next one may have begun before this call
        found = {}

        def test():
            shot = self._snapshot_if(lambda s: True, fresh_from)
            if shot is None:
                return None
            value = predicate(shot)
            if value:
                found["v"] = (shot, value)
            return value

        self.wait_until(test, timeout, what)
        return found["v"]

    def fresh_snapshot(self, timeout=DEFAULT_TIMEOUT):
        """A snapshot begun after this call."""
        return self.wait_snapshot(lambda s: True, timeout, "a new snapshot")[0]

    def wait_window(self, timeout=DEFAULT_TIMEOUT, **criteria):
        """Waits until exactly one visible window matches the criteria (see Snapshot.windows)."""
        _, window = self.wait_snapshot(lambda s: s.window(**criteria), timeout, f"a window {criteria}")
        return window

    def wait_no_window(self, timeout=DEFAULT_TIMEOUT, **criteria):
        self.wait_snapshot(lambda s: not s.windows(**criteria), timeout, f"no window {criteria}")

    def wait_menu(self, timeout=DEFAULT_TIMEOUT):
        """Waits for an open popup menu whose items could be read; returns it."""
        _, menu = self.wait_snapshot(
            lambda s: next((m for m in s.menus if m.get("items")), None), timeout, "an open popup menu")
        return menu

    def wait_no_menu(self, timeout=DEFAULT_TIMEOUT):
        self.wait_snapshot(lambda s: not s.menus, timeout, "no open popup menu")

    # -- input (xdotool)

    def run_x(self, command):
        """Runs an X client on the session's display; fails the scenario when it fails."""
        started = time.monotonic()
        result = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        elapsed = time.monotonic() - started
        if elapsed > 2:
            self.step(f"slow X client: {' '.join(map(str, command))} took {elapsed:.1f} s")
        check(result.returncode == 0,
              f"{' '.join(map(str, command))} failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
        result.stdout = result.stdout.decode(errors="replace")
        return result

    def _xy(self, x, y):
        return [str(x + self.offset[0]), str(y + self.offset[1])]

    def xdotool(self, *args):
        return self.run_x(["xdotool", *args])

    # No "mousemove --sync": under Wine it waits 15 s when the pointer is already there. The X
    # server handles one client's events in order, so the click lands where the move went.
    def move(self, x, y):
        self.xdotool("mousemove", *self._xy(x, y))

    def click(self, x, y, button=1):
        self.xdotool("mousemove", *self._xy(x, y), "click", str(button))

    def right_click(self, x, y):
        self.click(x, y, 3)

    def double_click(self, x, y):
        self.xdotool("mousemove", *self._xy(x, y), "click", "--repeat", "2", "--delay", "60", "1")

    def alt_right_click(self, x, y):
        """The right button pressed and released while ALT is held."""
        self.xdotool("mousemove", *self._xy(x, y), "keydown", "alt", "click", "3", "keyup", "alt")

    def chord(self, modifier, key):
        """`key` pressed and released while `modifier` is held (alt+F10: chord("alt", "F10"))."""
        self.xdotool("keydown", modifier, "key", key, "keyup", modifier)

    def key(self, *keys):
        """Presses and releases keys one after another (xdotool names: Return, Escape, Tab...)."""
        self.xdotool("key", "--delay", "40", *keys)

    def type_ascii(self, text):
        """Types printable ASCII (passwords, short texts) key by key."""
        check(all(" " <= c <= "~" for c in text), f"type_ascii takes printable ASCII only, not {text!r}")
        if text:
            self.xdotool("type", "--delay", "40", "--", text)

    # -- the taskbar's notification area

    def capture_rgb(self, rect):
        """The pixels of a screen rectangle: (width, height, bytes of RGB triplets)."""
        left, top, right, bottom = rect
        width, height = right - left, bottom - top
        x, y = left + self.offset[0], top + self.offset[1]
        result = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                                 "-depth", "8", "rgb:-"], env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=60)
        check(result.returncode == 0 and len(result.stdout) == width * height * 3,
              f"capturing {rect} failed: {result.stderr.decode(errors='replace')}")
        return width, height, result.stdout

    def tray_area(self, shot=None):
        """The part of the taskbar right of its buttons, where explorer draws the icons."""
        shot = shot or self.snapshot()
        bar = shot.taskbar
        check(bar and bar["visible"], "the desktop has no visible taskbar")
        return bar["tray_area"]

    def tray_icons(self):
        """Rectangles of the icons in the notification area, left to right: runs of columns that
        hold pixels of another colour than the taskbar's (rows of one colour, like the bar's
        edge, are left out). The capture counts only when snapshots taken before and after it
        agree on the area: a task button that comes or goes moves the area's left edge."""
        for _ in range(10):
            area = self.tray_area(self.fresh_snapshot())
            width, height, pixels = self.capture_rgb(area)
            if self.tray_area(self.fresh_snapshot()) == area:
                break
        else:
            raise E2EFailure(f"the notification area keeps moving (last {area})")
        if width <= 0 or height <= 0:
            return []

        def at(x, y):
            i = (y * width + x) * 3
            return pixels[i:i + 3]

        background = Counter(at(x, y) for y in range(height) for x in range(width)).most_common(1)[0][0]
        rows = [y for y in range(height) if len({at(x, y) for x in range(width)}) > 1]
        inked = [x for x in range(width) if any(at(x, y) != background for y in rows)]
        icons, run = [], []
        for x in inked:
            if run and x - run[-1] > 2:
                icons.append(run)
                run = []
            run.append(x)
        if run:
            icons.append(run)
        rects = []
        for run in icons:
            if len(run) < 4:  # a separator line, not an icon
                continue
            ys = [y for y in rows if any(at(x, y) != background for x in run)]
            rects.append([area[0] + run[0], area[1] + ys[0], area[0] + run[-1] + 1, area[1] + ys[-1] + 1])
        return rects

    def wait_tray_icons(self, count, timeout=DEFAULT_TIMEOUT):
        """Waits until the notification area shows `count` icons; returns their rectangles."""
        found = {}

        def test():
            found["icons"] = self.tray_icons()
            return len(found["icons"]) == count

        self.wait_until(test, timeout, f"{count} icons in the notification area",
                        seen=lambda: f"icons {found.get('icons')} in the tray area {self.tray_area()}")
        return found["icons"]

    def tray_icon(self, tip=None, timeout=DEFAULT_TIMEOUT):
        """The rectangle of a notification-area icon: the only one, or the one whose tooltip
        reads `tip`. Icons not yet known are hovered until their tooltip shows; what was learnt
        holds while the icons stay where they are."""
        icons = self.wait_until(self.tray_icons, timeout, "an icon in the notification area",
                                seen=lambda: f"tray area {self.tray_area()}")
        if tip is None:
            check(len(icons) == 1, f"{len(icons)} icons in the notification area, say which by its tip")
            return icons[0]
        if self._tray_tips.get("icons") != icons:
            self._tray_tips = {"icons": icons}
        for icon in icons:
            if self._tray_tips.get(tuple(icon)) == tip:
                return icon
        for icon in icons:
            if tuple(icon) in self._tray_tips:
                continue
            # A tooltip shows after the pointer comes to rest over the icon; coming from outside
            # the taskbar makes sure it moved (after a click the tooltip stays hidden until then).
            self.move(DESKTOP_SIZE[0] // 2, DESKTOP_SIZE[1] // 2)
            self.move(*centre(icon))
            try:
                shot, tips = self.wait_snapshot(lambda s: [t for t in s.tooltips() if t], DEFAULT_TIMEOUT,
                                                f"a tooltip over {icon}")
            except E2EFailure:
                continue
            self._tray_tips[tuple(icon)] = tips[0]
            if tip in tips:
                return icon
        raise E2EFailure(f"no notification-area icon has the tip {tip!r}; icons and tips {self._tray_tips}")

    def click_tray_icon(self, tip=None, button=1):
        self.click(*centre(self.tray_icon(tip)), button)

    def open_tray_menu(self, tip=None, timeout=DEFAULT_TIMEOUT):
        """Right-clicks a notification-area icon and waits for its popup menu; returns the menu."""
        self.right_click(*centre(self.tray_icon(tip)))
        return self.wait_menu(timeout)

    def choose_menu_item(self, text, timeout=DEFAULT_TIMEOUT):
        """Clicks the item of an open popup menu that reads `text` (accelerator marks aside) and
        waits for the menu to close; returns the item as the menu showed it."""
        shot, (menu, item) = self.wait_snapshot(lambda s: s.menu_item(text), timeout,
                                                f"an open menu with the item {text!r}")
        check(not item["grayed"], f"the menu item {text!r} is greyed")
        check(item["rect"] is not None, f"the menu item {text!r} has no rectangle")
        self.click(*centre(item["rect"]))
        self.wait_snapshot(lambda s: not any(m["hwnd"] == menu["hwnd"] for m in s.menus), timeout,
                           f"the menu to close after choosing {text!r}")
        return item

    # -- pictures

    def screenshot(self, name, rect=None):
        """Saves the screen (or a rectangle of it) as <artifacts>/<NN>-<name>.png."""
        self._screenshots += 1
        path = self.artifacts / f"{self._screenshots:02d}-{name}.png"
        command = ["import", "-window", "root"]
        if rect is not None:
            left, top, right, bottom = rect
            command += ["-crop", f"{right - left}x{bottom - top}+{left + self.offset[0]}+{top + self.offset[1]}",
                        "+repage"]
        self.run_x(command + [str(path)])
        return path

    def window_screenshot(self, name, window):
        """A picture of one window (a snapshot's window record)."""
        return self.screenshot(name, window["rect"])

    def dark_pixels(self, rect, threshold=96):
        """How many pixels of a rectangle are dark (text on a light background)."""
        _, _, pixels = self.capture_rgb(rect)
        return sum(1 for i in range(0, len(pixels), 3) if max(pixels[i:i + 3]) < threshold)

    # -- velkaro-cli (native)

    def run_cli(self, command, password, data, *options):
        """Runs `velkaro-cli COMMAND --charset CP1251 --password-file F IN OUT` on bytes; returns
        (exit code, output bytes, error text). CP1251 means the bytes pass unconverted."""
        check(self.cli is not None and self.cli.is_file() and os.access(self.cli, os.X_OK),
              f"velkaro-cli is missing at {self.cli}: build the native preset first"
              " (cmake --preset native && cmake --build --preset native --target velkaro-cli)")
        work = self.artifacts / "cli"
        work.mkdir(exist_ok=True)
        (work / "password").write_bytes(password.encode("cp1251") + b"\n")
        (work / "in").write_bytes(data)
        out = work / "out"
        if out.exists():
            out.unlink()
        result = subprocess.run([str(self.cli), command, "--charset", "CP1251", "--password-file",
                                 str(work / "password"), *options, str(work / "in"), str(out)],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        output = out.read_bytes() if out.exists() else b""
        return result.returncode, output, result.stderr.decode(errors="replace")

    def cli_seal(self, password, plain, *options):
        code, output, errors = self.run_cli("seal", password, plain, *options)
        check(code == 0, f"velkaro-cli seal failed ({code}): {errors}")
        return output

    def cli_open(self, password, text):
        code, output, errors = self.run_cli("open", password, text)
        check(code == 0, f"velkaro-cli open failed ({code}): {errors}")
        return output


# ---- The edit target ---------------------------------------------------------------------------

class EditTarget:
    """edit_target.exe on the session's desktop: an editor window whose text and state the test
    reads from files (see targets/target_window.h)."""

    def __init__(self, session, name="target", text=b"", size=None, cls="Edit", single_line=False, tray=False,
                 dialog=False, pos=None, program=None):
        """`program`: the Windows path of an installed copy (Session.install) instead of the
        build tree's edit_target.exe."""
        self.session = session
        self.program = program
        self.name = name
        self.initial_text = text
        self.options = []
        if size:
            self.options += ["--size", f"{size[0]}x{size[1]}"]
        if pos:
            self.options += ["--pos", f"{pos[0]},{pos[1]}"]
        if cls != "Edit":
            self.options += ["--class", cls]
        if single_line:
            self.options.append("--single-line")
        if tray:
            self.options.append("--tray")
        if dialog:
            self.options.append("--dialog")
        self.text_file = session.artifacts / f"{name}.initial.txt"
        self.report_file = session.artifacts / f"{name}.text"
        self.state_file = session.artifacts / f"{name}.state.json"
        self._last_state = None

    def start(self, timeout=DESKTOP_TIMEOUT):
        """Launches the target and waits for its window and its first reports."""
        self.text_file.write_bytes(self.initial_text)
        self.session.launch(self.program or self.session.program("edit_target.exe"),
                            "--text", windows_path(self.text_file), "--report", windows_path(self.report_file),
                            "--state", windows_path(self.state_file), *self.options)
        state = self.session.wait_until(lambda: self.state(), timeout, f"the first state of {self.name}",
                                        seen=lambda: f"no {self.state_file}")
        self.pid = state["pid"]
        self.main = state["main"]
        self.edit = state["edit"]
        self.session.wait_window(timeout, title=TARGET_TITLE, pid=self.pid)
        return self

    def state(self):
        """The newest state (None before the first)."""
        try:
            self._last_state = json.loads(self.state_file.read_text(encoding="utf-8"))
        except (FileNotFoundError, json.JSONDecodeError):
            pass
        return self._last_state

    def text(self):
        """The control's whole text as its raw ANSI bytes."""
        return self.report_file.read_bytes()

    def describe(self):
        try:
            text = self.text()
        except FileNotFoundError:
            text = None
        return f"state {self._last_state}\ntext {text!r}"

    def wait_state(self, predicate, timeout=DEFAULT_TIMEOUT, what="a state of the target"):
        """Waits for a state written after this call for which predicate(state) is true."""
        current = self.state()
        fresh_from = (current["seq"] if current else 0) + 2
        return self.session.wait_until(
            lambda: (lambda st: st if st and st["seq"] >= fresh_from and predicate(st) else None)(self.state()),
            timeout, what, seen=self.describe)

    def wait_text(self, expected, timeout=DEFAULT_TIMEOUT, what=None):
        """Waits until the control's text is `expected` (bytes) or satisfies it (a function)."""
        test = expected if callable(expected) else (lambda text: text == expected)
        what = what or (f"the text {expected!r}" if not callable(expected) else "a text")

        def probe():
            try:
                return test(self.text())
            except FileNotFoundError:
                return False

        self.session.wait_until(probe, timeout, what, seen=self.describe)
        return self.text()

    def counter(self, name, state=None):
        return (state or self.state())["counters"].get(name, 0)

    # -- where to point

    def client(self):
        return self.state()["client"]

    def point(self, fx, fy):
        """A point of the control's client area by fractions of its width and height."""
        left, top, right, bottom = self.client()
        return (left + int((right - left) * fx), top + int((bottom - top) * fy))

    def word_point(self, line=0, x=12):
        """A point on the text of line `line`, `x` pixels from the start of the line."""
        st = self.state()
        format_rect, height = st["format_rect"], st["line_height"]
        return (format_rect[0] + x, format_rect[1] + line * height + height // 2)

    def line_rect(self, line=0):
        """The rectangle of one line of text."""
        st = self.state()
        format_rect, height = st["format_rect"], st["line_height"]
        top = format_rect[1] + line * height
        return [format_rect[0], top, format_rect[2], top + height]

    def window(self, shot=None):
        """The target's top-level window as the observer sees it."""
        shot = shot or self.session.snapshot()
        return shot.window_by_handle(self.main)
