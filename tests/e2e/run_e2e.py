#!/usr/bin/env python3
"""Runs end-to-end scenarios (scenarios.py), each on a desktop of its own.

    run_e2e.py --build BUILD_DIR [--cli VELKARO_CLI] [--artifacts DIR] SCENARIO... | all
    run_e2e.py --list

BUILD_DIR is the mingw-x64 build (its programs are found there); artifacts go to
BUILD_DIR/e2e-artifacts/<scenario>/ (or DIR/<scenario>/): screenshots, the target's reports, the
last desktop snapshot, steps.log, timings.json and wine.log. DISPLAY and WINEPREFIX are used when
set; otherwise each scenario starts its own Xvfb and Wine prefix. Exit code 0 when every scenario
passed, 1 when one failed, 2 for a wrong command line.
"""

import argparse
import sys
import traceback
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import scenarios  # noqa: E402,F401  (registers the scenarios)
import scenarios_velkaro  # noqa: E402,F401
import scenarios_html  # noqa: E402,F401
import scenarios_windows  # noqa: E402,F401
from velkaro_e2e import SCENARIOS, E2EFailure, Session  # noqa: E402


def run(name, args):
    function = SCENARIOS[name]
    artifacts = Path(args.artifacts) / name if args.artifacts else None
    if function.needs_cli and not (args.cli and Path(args.cli).is_file()):
        print(f"FAILED {name}: it needs the native velkaro-cli, which is missing at {args.cli}"
              " (cmake --preset native && cmake --build --preset native --target velkaro-cli)", flush=True)
        return False
    try:
        with Session(args.build, name, cli=args.cli, artifacts=artifacts) as session:
            function(session)
            where = session.artifacts
    except E2EFailure as failure:
        print(f"FAILED {name}: {failure}", flush=True)
        return False
    except Exception:
        print(f"FAILED {name} with an error:\n{traceback.format_exc()}", flush=True)
        return False
    print(f"PASSED {name} (artifacts: {where}; timings: {session.timings})", flush=True)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", help="the mingw-x64 build folder")
    parser.add_argument("--cli", help="the native velkaro-cli")
    parser.add_argument("--artifacts", help="folder for the artifacts (default BUILD/e2e-artifacts)")
    parser.add_argument("--list", action="store_true", help="print the scenarios' names")
    parser.add_argument("scenarios", nargs="*")
    args = parser.parse_args()
    if args.list:
        print("\n".join(SCENARIOS))
        return 0
    names = list(SCENARIOS) if args.scenarios == ["all"] else args.scenarios
    unknown = [n for n in names if n not in SCENARIOS]
    if not names or unknown or not args.build:
        parser.error(f"give --build and scenarios from {list(SCENARIOS)}"
                     + (f"; unknown: {unknown}" if unknown else ""))
    results = [run(name, args) for name in names]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
