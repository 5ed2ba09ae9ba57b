"""The desktop's clipboard as another program sees it: clipboard_tool.exe (targets/clipboard_tool.cpp)
copies text onto it or reads its text, as "copy" in one program and "paste" in another would.

    clip = Clipboard(s)
    clip.put(block)                 # CF_TEXT bytes, CP1251 under the tests' locale
    check(clip.read() == block, "the clipboard lost the block")
"""

import json

from velkaro_e2e import DEFAULT_TIMEOUT, check, windows_path


class Clipboard:
    def __init__(self, session):
        self.s = session
        self._runs = 0
        self.last = None  # the report of the last run: ok, formats, has_text, length, sequence

    def _run(self, mode, path, what):
        """Runs the tool once and returns its report; fails the scenario when it failed. Files
        of a run are numbered by it (clipboard-NN.*), so every run leaves its own."""
        self._runs += 1
        report = self.s.artifacts / f"clipboard-{self._runs:02d}.json"
        tool = self.s.launch(self.s.program("clipboard_tool.exe"), mode, windows_path(path), "--report",
                             windows_path(report))
        self.s.wait_until(report.exists, DEFAULT_TIMEOUT, f"clipboard_tool's report on {what}",
                          seen=lambda: f"no {report}")
        # The tool goes on for about a second after its report (its process and windows end):
        # input sent meanwhile can meet the desktop changing its active window.
        self.s.wait_until(lambda: tool.poll() is not None, DEFAULT_TIMEOUT, f"clipboard_tool ended after {what}",
                          seen=lambda: "still running")
        result = json.loads(report.read_text(encoding="utf-8"))
        check(result["ok"], f"clipboard_tool could not {what}: {result}")
        self.last = result
        return result

    def put(self, text):
        """Puts `text` (bytes) on the clipboard as CF_TEXT; returns the tool's report (its
        "sequence" is the clipboard's sequence number after the write)."""
        source = self.s.artifacts / f"clipboard-{self._runs + 1:02d}.in"
        source.write_bytes(text)
        result = self._run("--set", source, "put text on the clipboard")
        check(result["has_text"] and result["length"] == len(text.split(b"\0", 1)[0]),
              f"the clipboard holds {result} after {len(text)} bytes were put there")
        return result

    def read(self):
        """The clipboard's text (CF_TEXT bytes), or None when it holds no text."""
        target = self.s.artifacts / f"clipboard-{self._runs + 1:02d}.out"
        result = self._run("--get", target, "read the clipboard")
        return target.read_bytes() if result["has_text"] else None
