#!/usr/bin/env python3
"""Measures how quickly the tray program answers a gesture under Wine: from the double click to
the password window with the caret in its field, and from the Enter after the password to the
sealed block in the editor, for a letter of 64000 characters. A benchmark, never a test.

    measure_speed.py --build BUILD_DIR [--rounds N] [--chars N]

speed_probe.exe does the timing inside Wine (performance counter, 1 ms polling) with input of its
own (SendInput); this script sets up the desktop and the program and prints the figures.
"""

import argparse
import json
import statistics
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

from velkaro_app import Velkaro, settings_file  # noqa: E402
from velkaro_e2e import Session, windows_path  # noqa: E402

PASSWORD = "Speed-Probe-1"


def letter_of(chars):
    """A letter of `chars` CP1251 characters in lines of 50 (a mail editor's wrapped text;
    Wine's edit control lays out very long single lines slowly)."""
    words = "Привет! Встретимся вечером, как договаривались. Ёлки зелёные. ".encode("cp1251")
    text = bytearray()
    column = 0
    while len(text) < chars:
        byte = words[len(text) % len(words)]
        if column == 48:
            text += b"\r\n"
            column = 0
        else:
            text.append(byte)
            column += 1
    return bytes(text[:chars])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--chars", type=int, default=64000)
    args = parser.parse_args()
    with Session(args.build, "speed") as s:
        app = Velkaro(s, settings_file(keep_password=0)).start()
        letter = s.artifacts / "letter.txt"
        letter.write_bytes(letter_of(args.chars))
        report = s.artifacts / "speed.json"
        probe = s.launch(s.program("speed_probe.exe"), "--letter", windows_path(letter), "--report",
                         windows_path(report), "--password", PASSWORD, "--rounds", str(args.rounds))
        s.wait_until(report.exists, 60 + 20 * args.rounds, "the speed probe's report")
        del app, probe
        result = json.loads(report.read_text())
    rounds = result["rounds"]
    print(json.dumps(result, indent=1))
    if not result["ok"] or not rounds:
        print("the probe did not finish its rounds")
        return 1
    for key, goal in (("gesture_to_window_us", 150), ("enter_to_text_us", 100)):
        values = [r[key] / 1000 for r in rounds]
        print(f"{key[:-3]}: median {statistics.median(values):.1f} ms, min {min(values):.1f},"
              f" max {max(values):.1f} (goal <= {goal} ms) over {len(values)} rounds of {result['letter_bytes']}"
              " characters")
    return 0


if __name__ == "__main__":
    sys.exit(main())
