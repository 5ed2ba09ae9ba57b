"""html_target.exe on a Session's desktop: a mail program's browser control (a window of class
"Internet Explorer_Server" that hands out a COM document of its page), whose page the test reads
from the target's JSON state (see targets/html_target_window.h).

    target = HtmlTarget(s, kind="compose", text=letter).start()
    s.double_click(*target.point(0.5, 0.5))
    target.wait_page(lambda page: page["puts"], what="a write to the body")
"""

import json

from velkaro_e2e import DEFAULT_TIMEOUT, DESKTOP_TIMEOUT, check, windows_path

HTML_TARGET_TITLE = "Velkaro HTML target"
KINDS = ("compose", "view", "webmail", "webpage")


class HtmlTarget:
    def __init__(self, session, name="html", kind="compose", html=None, text=None, size=None, pos=None, url=None,
                 design_mode=None, tag=None):
        """`html` or `text` (str): the body's initial inner HTML or inner text. `url`,
        `design_mode` and `tag` override what the kind sets."""
        check(kind in KINDS, f"html_target knows the kinds {KINDS}, not {kind!r}")
        check(html is None or text is None, "give the body as HTML or as text, not both")
        self.session = session
        self.name = name
        self.options = ["--kind", kind]
        self.content = None
        if html is not None:
            self.content = ("--html", session.artifacts / f"{name}.initial.html", html)
        elif text is not None:
            self.content = ("--text", session.artifacts / f"{name}.initial.txt", text)
        if size:
            self.options += ["--size", f"{size[0]}x{size[1]}"]
        if pos:
            self.options += ["--pos", f"{pos[0]},{pos[1]}"]
        for option, value in (("--url", url), ("--design-mode", design_mode), ("--tag", tag)):
            if value is not None:
                self.options += [option, value]
        self.state_file = session.artifacts / f"{name}.state.json"
        self._last_state = None

    def start(self, timeout=DESKTOP_TIMEOUT):
        """Launches the target and waits for its window and its first state."""
        options = list(self.options)
        if self.content:
            option, path, body = self.content
            # Bytes as they are: a CR LF of the body must reach the page as CR LF.
            path.write_bytes(body.encode("utf-8"))
            options += [option, windows_path(path)]
        self.session.launch(self.session.program("html_target.exe"), "--state", windows_path(self.state_file),
                            *options)
        state = self.session.wait_until(self.state, timeout, f"the first state of {self.name}",
                                        seen=lambda: f"no {self.state_file}")
        self.pid = state["pid"]
        self.main = state["main"]
        self.server = state["server"]
        self.session.wait_window(timeout, title=HTML_TARGET_TITLE, pid=self.pid)
        return self

    def state(self):
        """The newest state (None before the first)."""
        try:
            self._last_state = json.loads(self.state_file.read_text(encoding="utf-8"))
        except (FileNotFoundError, json.JSONDecodeError):
            pass
        return self._last_state

    def page(self, state=None):
        """The page as the newest state shows it: url, design_mode, tag, inner_html, inner_text,
        puts, bg_colours, window_events, live_objects, documents_obtained."""
        return (state or self.state())["page"]

    def inner_text_ansi(self, state=None):
        """The body's inner text as CP1251 bytes, as the tray program reads it."""
        return self.page(state)["inner_text"].encode("cp1251")

    def describe(self):
        state = self._last_state
        if not state:
            return f"no state in {self.state_file}"
        page = dict(state["page"])
        for key in ("inner_html", "inner_text"):
            if len(page[key]) > 300:
                page[key] = page[key][:300] + f"... ({len(page[key])} characters)"
        page["puts"] = [(p["kind"], len(p["text"])) for p in page["puts"]]
        rest = {k: v for k, v in state.items() if k != "page"}
        return f"state {rest}\npage {page}"

    def wait_state(self, predicate, timeout=DEFAULT_TIMEOUT, what="a state of the HTML target"):
        """Waits for a state written after this call for which predicate(state) is true."""
        current = self.state()
        # The state being written as this call began may predate it; the one after cannot.
        fresh_from = (current["seq"] if current else 0) + 2
        return self.session.wait_until(
            lambda: (lambda st: st if st and st["seq"] >= fresh_from and predicate(st) else None)(self.state()),
            timeout, what, seen=self.describe)

    def wait_page(self, predicate, timeout=DEFAULT_TIMEOUT, what="a state of the page"):
        """Waits for a state written after this call whose page satisfies predicate(page);
        returns that page."""
        return self.wait_state(lambda st: predicate(st["page"]), timeout, what)["page"]

    def wait_released(self, timeout=DEFAULT_TIMEOUT):
        """Waits until no COM object of the page is held any more (another process's release
        arrives as a call of its own)."""
        return self.wait_page(lambda page: page["live_objects"] == 0, timeout,
                              "every COM object of the page released")

    def counter(self, name, state=None):
        return (state or self.state())["counters"].get(name, 0)

    # -- where to point

    def client(self):
        return self.state()["client"]

    def point(self, fx, fy):
        """A point of the control's client area by fractions of its width and height."""
        left, top, right, bottom = self.client()
        return (left + int((right - left) * fx), top + int((bottom - top) * fy))

    def window(self, shot=None):
        """The target's top-level window as the observer sees it."""
        shot = shot or self.session.snapshot()
        return shot.window_by_handle(self.main)
