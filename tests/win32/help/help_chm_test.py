"""Tests of the built help file velkaro.chm (and of the checks themselves).

    python3 help_chm_test.py --chm build/.../shell/velkaro.chm --chmls /usr/bin/chmls \
        --sources help/pages [unittest arguments]
"""

import argparse
import os
import struct
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import chm_check  # noqa: E402

ARGS = None


def system_file(records):
    """A #SYSTEM file from (code, bytes) records."""
    data = struct.pack("<I", 3)
    for code, raw in records:
        data += struct.pack("<HH", code, len(raw)) + raw
    return data


def page(title, body, charset="windows-1251"):
    return (f'<html><head><meta http-equiv="Content-Type" content="text/html; charset={charset}">'
            f"<title>{title}</title></head><body>{body}</body></html>").encode("cp1251")


def sitemap(*entries):
    items = "".join(f'<LI><OBJECT type="text/sitemap"><param name="Name" value="{name}">'
                    f'<param name="Local" value="{local}"></OBJECT>' for name, local in entries)
    return f"<HTML><BODY><UL>{items}</UL></BODY></HTML>".encode("cp1251")


def sound_fixture():
    """The smallest help file that passes every check: two pages, contents, index."""
    return {
        "#SYSTEM": system_file([
            (chm_check.SYSTEM_CONTENTS_FILE, b"t.hhc\0"),
            (chm_check.SYSTEM_INDEX_FILE, b"t.hhk\0"),
            (chm_check.SYSTEM_DEFAULT_TOPIC, b"nazn.html\0"),
            (chm_check.SYSTEM_TITLE, "Справка\0".encode("cp1251")),
            (chm_check.SYSTEM_LCID, struct.pack("<IIIIIIII", 0x419, 0, 0, 0, 0, 0, 0, 0)),
        ]),
        "nazn.html": page("Назначение", '<a href="b.html#x">Жесты</a>'),
        "b.html": page("Жесты", '<h1 id="x">Жесты</h1><a href="#x">вверх</a>'),
        "t.hhc": sitemap(("Назначение", "nazn.html"), ("Жесты", "b.html")),
        "t.hhk": sitemap(("жест", "b.html#x")),
    }


class ChecksFindFaults(unittest.TestCase):
    """Each fault, put into an otherwise sound fixture, is reported."""

    def test_sound_fixture_passes(self):
        self.assertEqual(chm_check.check_help_file(sound_fixture(), ["nazn.html", "b.html"]), [])

    def test_faults_are_reported(self):
        def replace(name, old, new):
            return lambda files: files.update({name: files[name].replace(old, new)})

        cases = [
            ("dangling link", replace("nazn.html", b"b.html#x", b"c.html"), "c.html"),
            ("missing anchor", replace("nazn.html", b"b.html#x", b"b.html#y"), "#y"),
            ("missing anchor on the same page", replace("b.html", b'href="#x"', b'href="#z"'),
             "#z"),
            ("external link", replace("b.html", b'href="#x"', b'href="http://example.com/"'),
             "leaves"),
            ("contents names a missing page", replace("t.hhc", b'"b.html"', b'"gone.html"'),
             "gone.html"),
            ("index names a missing anchor", replace("t.hhk", b"b.html#x", b"b.html#w"), "#w"),
            ("page left out of the contents",
             lambda f: f.update({"t.hhc": sitemap(("Назначение", "nazn.html"))}),
             "b.html"),
            ("contents entry without a name", replace("t.hhc", "Жесты".encode("cp1251"), b""),
             "without a name"),
            ("page still UTF-8",
             lambda f: f.update({"b.html": f["b.html"].decode("cp1251").encode("utf-8")}),
             "UTF-8"),
            ("contents still UTF-8",
             lambda f: f.update({"t.hhc": f["t.hhc"].decode("cp1251").encode("utf-8")}),
             "UTF-8"),
            ("page without the charset declaration",
             lambda f: f.update({"b.html": page("Жесты", '<h1 id="x">x</h1>', "utf-8")}),
             "charset"),
            ("page without a title",
             lambda f: f.update({"b.html": page("", '<h1 id="x">x</h1>')}), "title"),
            ("default topic missing", lambda f: f.pop("nazn.html"), "nazn.html"),
            ("wrong default topic",
             replace("#SYSTEM", b"nazn.html\0", b"b.html\0\0\0\0"), "default topic"),
            ("wrong language",
             replace("#SYSTEM", struct.pack("<I", 0x419), struct.pack("<I", 0x409)), "Russian"),
            ("no index file", lambda f: f.pop("t.hhk"), "index"),
        ]
        for description, spoil, expected in cases:
            with self.subTest(description):
                files = sound_fixture()
                spoil(files)
                problems = chm_check.check_help_file(files)
                self.assertTrue(any(expected in p for p in problems),
                                f"expected a problem about {expected!r}, got {problems}")

    def test_source_page_missing_from_the_file(self):
        problems = chm_check.check_help_file(sound_fixture(), ["nazn.html", "new.html"])
        self.assertEqual(problems, ["new.html: the page source is not in the help file"])


class BuiltHelpFile(unittest.TestCase):
    """The velkaro.chm of this build."""

    @classmethod
    def setUpClass(cls):
        cls.files = chm_check.read_chm(ARGS.chm, ARGS.chmls)

    def test_holds_together(self):
        sources = [n for n in os.listdir(ARGS.sources) if not n.startswith(".")]
        problems = chm_check.check_help_file(self.files, sources)
        self.assertEqual(problems, [], "\n" + "\n".join(problems))

    def test_opens_at_the_purpose_of_the_program(self):
        system = chm_check.system_records(self.files["#SYSTEM"])
        self.assertEqual(system[chm_check.SYSTEM_DEFAULT_TOPIC].rstrip(b"\0"), b"nazn.html")
        self.assertIn("<title>Назначение программы</title>",
                      self.files["nazn.html"].decode("cp1251"))

    def test_contents_start_with_the_topic_the_program_opens(self):
        contents = self.files["velkaro.hhc"].decode("cp1251")
        first = chm_check.sitemap_entries(contents)[0]
        self.assertEqual(first, ("Назначение программы", "nazn.html"))

    def test_every_page_is_in_russian(self):
        for name, raw in self.files.items():
            if name.endswith(".html"):
                with self.subTest(name):
                    text = raw.decode("cp1251")
                    letters = chm_check._CYRILLIC.findall(text)
                    self.assertGreater(len(letters), 100, "too little Russian text")


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--chm", required=True, help="the built velkaro.chm")
    parser.add_argument("--chmls", default="", help="chmls of fp-utils")
    parser.add_argument("--sources", required=True, help="the folder of the page sources")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
