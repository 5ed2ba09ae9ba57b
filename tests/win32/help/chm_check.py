"""Checks of a built help file velkaro.chm, read with chmls (fp-utils).

The program opens the help at "::/nazn.html"; the rest of the file must hold together: every
page the contents or the index name is there, every link between pages (and every #anchor)
lands inside the file, and every text is Windows-1251, the code page in which HTML Help reads a
Russian (0x419) help file's contents, index and titles.

check_help_file() takes the files of a CHM as a dict (name without the leading "/" -> bytes) and
answers a list of problems, one readable line each; an empty list means the file is sound.
"""

import html
import os
import posixpath
import re
import struct
import subprocess
import tempfile

DEFAULT_TOPIC = "nazn.html"
RUSSIAN_LCID = 0x419
PAGE_CHARSET = "windows-1251"

# Records of the #SYSTEM file (code -> meaning) used here.
SYSTEM_CONTENTS_FILE = 0
SYSTEM_INDEX_FILE = 1
SYSTEM_DEFAULT_TOPIC = 2
SYSTEM_TITLE = 3
SYSTEM_LCID = 4

_LINK = re.compile(r"""\b(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)')""", re.IGNORECASE)
_ANCHOR = re.compile(r"""<a\b[^>]*\bname\s*=\s*["']([^"']+)["']|\bid\s*=\s*["']([^"']+)["']""",
                     re.IGNORECASE)
_SCHEME = re.compile(r"^[a-z][a-z0-9+.-]*:", re.IGNORECASE)
_TITLE = re.compile(r"<title>(.*?)</title>", re.IGNORECASE | re.DOTALL)
_CHARSET = re.compile(r"""<meta\b[^>]*charset\s*=\s*([-\w]+)""", re.IGNORECASE)
_SITEMAP_ENTRY = re.compile(r"""<object\s+type\s*=\s*"text/sitemap"\s*>(.*?)</object>""",
                            re.IGNORECASE | re.DOTALL)
_PARAM = re.compile(r"""<param\s+name\s*=\s*"([^"]*)"\s+value\s*=\s*"([^"]*)"\s*/?>""",
                    re.IGNORECASE)
_CYRILLIC = re.compile("[\u0400-\u04ff]")


def read_chm(chm_path, chmls):
    """The files of the CHM at chm_path (name -> bytes), extracted with chmls."""
    if not chmls or not os.path.isfile(chmls):
        raise RuntimeError("chmls not found: install fp-utils (scripts/install-deps)")
    if not os.path.isfile(chm_path):
        raise RuntimeError(f"{chm_path} does not exist: build the target velkaro_help")
    listing = subprocess.run([chmls, "-n", "list", chm_path], capture_output=True, check=True)
    names = [line.strip() for line in listing.stdout.decode("latin-1").splitlines()]
    names = [n[1:] for n in names if n.startswith("/") and len(n) > 1 and not n.endswith("/")]
    files = {}
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([chmls, "extractall", chm_path, out], capture_output=True, check=True)
        for name in names:
            path = os.path.join(out, *name.split("/"))
            # chmls writes no file for an empty entry (#ITBITS).
            files[name] = b""
            if os.path.isfile(path):
                with open(path, "rb") as extracted:
                    files[name] = extracted.read()
    return files


def system_records(data):
    """The records of a #SYSTEM file: code -> raw bytes (a DWORD version, then code/length/data)."""
    records = {}
    offset = 4
    while offset + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, offset)
        records[code] = data[offset + 4:offset + 4 + length]
        offset += 4 + length
    return records


def _zero_terminated(raw):
    return raw.split(b"\0", 1)[0]


def decode_cp1251(raw, what, problems):
    """The text of raw in Windows-1251, or None with a problem when it is not such text.

    UTF-8 Cyrillic also decodes as Windows-1251 (into mojibake), so a text that is valid UTF-8
    with Cyrillic letters in it counts as not converted."""
    try:
        as_utf8 = raw.decode("utf-8")
    except UnicodeDecodeError:
        as_utf8 = None
    if as_utf8 is not None and _CYRILLIC.search(as_utf8):
        problems.append(f"{what}: UTF-8 text, not Windows-1251")
        return None
    try:
        return raw.decode("cp1251")
    except UnicodeDecodeError as error:
        problems.append(f"{what}: not Windows-1251 text ({error})")
        return None


def sitemap_entries(text):
    """(name, local) of every entry of a contents or index file."""
    entries = []
    for body in _SITEMAP_ENTRY.findall(text):
        params = {key.lower(): html.unescape(value) for key, value in _PARAM.findall(body)}
        entries.append((params.get("name", ""), params.get("local", "")))
    return entries


def page_anchors(text):
    return {name or ident for name, ident in _ANCHOR.findall(text)}


def page_links(text):
    return [html.unescape(a or b) for a, b in _LINK.findall(text)]


class _Pages:
    """The decoded pages of a CHM and the anchors each one defines."""

    def __init__(self, files, problems):
        self.files = files
        self.text = {}
        for name, raw in files.items():
            if name.lower().endswith((".html", ".htm")):
                text = decode_cp1251(raw, name, problems)
                if text is not None:
                    self.text[name] = text
        self.anchors = {name: page_anchors(text) for name, text in self.text.items()}

    def resolve(self, base, link, what, problems):
        """The file a relative link from `base` names, checking the file and its #anchor."""
        path, _, fragment = link.partition("#")
        target = posixpath.normpath(posixpath.join(posixpath.dirname(base), path)) if path else base
        if target not in self.files:
            problems.append(f"{what}: {link} names {target}, which is not in the help file")
            return None
        if fragment and fragment not in self.anchors.get(target, set()):
            problems.append(f"{what}: {link}: {target} has no anchor #{fragment}")
        return target


def check_help_file(files, source_pages=()):
    """Problems of the CHM whose files are given; `source_pages` are the names of the page
    sources, each of which must be in the file."""
    problems = []
    system = system_records(files.get("#SYSTEM", b""))
    if not system:
        problems.append("#SYSTEM: missing or empty")

    lcid = system.get(SYSTEM_LCID, b"")
    if len(lcid) < 4 or struct.unpack_from("<I", lcid)[0] != RUSSIAN_LCID:
        problems.append(f"#SYSTEM: the language is not Russian (0x{RUSSIAN_LCID:x})")
    default_topic = _zero_terminated(system.get(SYSTEM_DEFAULT_TOPIC, b"")).decode("latin-1")
    if default_topic != DEFAULT_TOPIC:
        problems.append(f"#SYSTEM: the default topic is {default_topic!r}, not {DEFAULT_TOPIC}")
    title = decode_cp1251(_zero_terminated(system.get(SYSTEM_TITLE, b"")), "#SYSTEM title",
                          problems)
    if title is not None and not _CYRILLIC.search(title):
        problems.append(f"#SYSTEM: the title {title!r} is not the Russian one")
    if DEFAULT_TOPIC not in files:
        problems.append(f"{DEFAULT_TOPIC}, the topic the program opens, is not in the help file")

    pages = _Pages(files, problems)
    for name, text in sorted(pages.text.items()):
        charset = _CHARSET.search(text)
        if not charset or charset.group(1).lower() != PAGE_CHARSET:
            problems.append(f"{name}: does not declare charset={PAGE_CHARSET}")
        title_match = _TITLE.search(text)
        if not title_match or not title_match.group(1).strip():
            problems.append(f"{name}: has no title")
        for link in page_links(text):
            if _SCHEME.match(link):
                problems.append(f"{name}: {link} leaves the help file")
            else:
                pages.resolve(name, link, name, problems)

    named_by_contents = set()
    for code, what in ((SYSTEM_CONTENTS_FILE, "contents"), (SYSTEM_INDEX_FILE, "index")):
        sitemap = _zero_terminated(system.get(code, b"")).decode("latin-1")
        if sitemap not in files:
            problems.append(f"#SYSTEM: the {what} file {sitemap!r} is not in the help file")
            continue
        text = decode_cp1251(files[sitemap], sitemap, problems)
        if text is None:
            continue
        entries = sitemap_entries(text)
        if not entries:
            problems.append(f"{sitemap}: no entries")
        for entry_name, local in entries:
            label = f"{sitemap} entry {entry_name!r}"
            if not entry_name.strip():
                problems.append(f"{sitemap}: an entry without a name ({local})")
            if not local:
                problems.append(f"{label}: names no page")
                continue
            target = pages.resolve("", local, label, problems)
            if target and code == SYSTEM_CONTENTS_FILE:
                named_by_contents.add(target)

    for name in sorted(pages.text):
        if name not in named_by_contents:
            problems.append(f"{name}: no entry of the contents leads to it")
    for name in sorted(source_pages):
        if name not in files:
            problems.append(f"{name}: the page source is not in the help file")
    return problems
