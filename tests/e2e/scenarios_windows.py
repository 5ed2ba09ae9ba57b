"""End-to-end scenarios of the windows the tray menu opens: the clipboard viewer (with its toolbar
and the modal password dialog of the clipboard road), the settings sheet and what its OK and
Cancel do (modifier key, note, kept password, autostart, desktop link), the note editor, the
cover-text chooser of a hidden message and the about box. The real velkaro.exe and velhook.dll
run as installed; clipboard_tool.exe copies and pastes as another program would; every window is
photographed at every step. Registered with @scenario like those of scenarios.py.
"""

import os
import re
import shutil
import subprocess
from contextlib import contextmanager

from clipboard import Clipboard
from html_target import HtmlTarget
from scenarios import sample_letter
from scenarios_html import holding
from velkaro_app import (ABOUT_CAPTION, BLOCK_MARKER, CAPTION, CHOOSER_CAPTION, CLOSING_MARKER, IDCANCEL,
                        IDC_ABOUT_VERSION, IDC_CFG_ADD_INFO_NOTE, IDC_CFG_AUTOSTART, IDC_CFG_COLOUR_BACKGROUND,
                        IDC_CFG_DESKTOP_LINK, IDC_CFG_EDIT_NOTE, IDC_CFG_KEEP_PASSWORD, IDC_CLIPBOARD_TEXT,
                        IDC_INFO_NOTE_TEXT, IDC_KEEP_PASSWORD_BOX, IDC_SHEET_APPLY, IDC_SHEET_HELP, IDC_STEGO_CTRL,
                        IDC_STEGO_INS, IDC_STEGO_OFFER_LIST, IDC_STEGO_OWN_TEMPLATE, IDC_STEGO_SHIFT,
                        IDC_STEGO_TEMPLATES, IDC_TEMPLATE_LIST, IDOK, ID_TB_CLEAR, ID_TB_COPY, ID_TB_CRYPT,
                        ID_TB_EXIT, ID_TB_HELP, ID_TB_SAVE, NOTE_EDITOR_CAPTION, NOTE_TOOLBAR, OPEN_MARKER,
                        PAGE_STEGO, PAGE_TEXT, PASSWORD, PASSWORD_TEMPLATE_CONTROLS, SETTINGS_PAGES, TEMPLATES,
                        VIEWER_TOOLBAR, Velkaro, check_opens, control_of_class, drag, edit_text, parse_settings,
                        sealed, settings_file, toolbar_button, toolbar_buttons, visible_control)
from velkaro_e2e import DESKTOP_SIZE, EditTarget, Snapshot, centre, check, menu_text, scenario, windows_path

# The default templates as the list boxes show them: sorted alphabetically, not in the order of
# the settings file.
TEMPLATES_ALPHABETICAL = ["Во сколько у нас встреча?", "Встретимся вечером, как договаривались.",
                          "Как у тебя дела?", "Когда мы можем встретиться?", "Пожалуйста, позвони мне!", "Привет!",
                          "Ты где?", "У меня для тебя есть новость", "У нас дождь!", "Я задержусь."]
# The note put before a block when the note file is missing: the default text, CR LF, a rule of
# 50 underscores, CR LF.
DEFAULT_NOTE = ("Сообщение зашифровано программой " + CAPTION).encode("cp1251") + b"\r\n" + b"_" * 50 + b"\r\n"
HTML_LETTER = "<FONT face=Arial size=2>Встречаемся в пятницу у Ёлки — «в семь».</FONT><BR>Анна"
RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
PROGRAM_PATH = "C:\\velkaro\\velkaro.exe"
LINK_NAME = CAPTION + ".lnk"


# ---- The prefix: registry values, the desktop folder, the program's folder

def run_values(s, root):
    """The values under the Run key of `root` ("HKLM" or "HKCU") as {name: data}, read with
    `wine reg export` (a UTF-16 file: no console code page in the way); {} when the key is absent."""
    export = s.artifacts / f"run-{root}.reg"
    if export.exists():
        export.unlink()
    result = subprocess.run(["wine", "reg", "export", f"{root}\\{RUN_KEY}", windows_path(export), "/y"], env=s.env,
                            stdin=subprocess.DEVNULL, stdout=s.log, stderr=s.log, timeout=120, check=False)
    if result.returncode != 0 or not export.exists():
        return {}
    values = {}
    for line in export.read_bytes().decode("utf-16").splitlines():
        match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"', line)
        if match:
            name, data = (re.sub(r"\\(.)", r"\1", g) for g in match.groups())
            values[name] = data
    return values


def remove_autostart(s):
    """Removes the program's Run values that an earlier scenario in the same prefix may have left."""
    for root in ("HKLM", "HKCU"):
        subprocess.run(["wine", "reg", "delete", f"{root}\\{RUN_KEY}", "/v", CAPTION, "/f"], env=s.env,
                       stdin=subprocess.DEVNULL, stdout=s.log, stderr=s.log, timeout=120, check=False)


def autostart_values(s):
    """The program's Run values under both roots: {"HKLM": data or None, "HKCU": data or None}."""
    return {root: run_values(s, root).get(CAPTION) for root in ("HKLM", "HKCU")}


@contextmanager
def prefix_desktop(s):
    """The prefix's desktop folder (where CSIDL_DESKTOPDIRECTORY points) as a folder of the prefix
    for the scenario. A fresh prefix makes it a symbolic link to the user's real home, where a
    desktop link must never land: the link is set aside (never followed) and put back at the end."""
    users = [p for p in (s.prefix / "drive_c" / "users").iterdir() if p.name != "Public" and p.is_dir()]
    check(len(users) == 1, f"the prefix has the user folders {users}, expected one besides Public")
    desktop = users[0] / "Desktop"
    real_home = os.readlink(desktop) if desktop.is_symlink() else None
    real_links = set()
    if real_home is not None:
        real_links = {p.name for p in os.scandir(real_home) if p.name.endswith(".lnk")}
        desktop.unlink()
        desktop.mkdir()
    desktop.mkdir(exist_ok=True)
    try:
        yield desktop
    finally:
        if real_home is not None:
            shutil.rmtree(desktop)
            desktop.symlink_to(real_home)
            left = {p.name for p in os.scandir(real_home) if p.name.endswith(".lnk")} - real_links
            check(not left, f"links were left in the real home {real_home}: {left}")


def folder_listing(path):
    return sorted(p.name for p in path.iterdir())


# ---- The clipboard viewer

@scenario()
def clipboard_copy_paste(s):
    """The harness's clipboard: text put there by clipboard_tool is what an editor pastes (Ctrl+V),
    and what the editor copies (Ctrl+C) is what clipboard_tool reads, byte for byte."""
    letter = sample_letter()
    first_line = letter.split(b"\r\n", 1)[0]
    clip = Clipboard(s)
    put = clip.put(letter)
    check(1 in put["formats"], f"the clipboard offers {put['formats']}, no CF_TEXT")
    target = EditTarget(s, text=b"").start()
    s.click(*target.point(0.5, 0.5))
    target.wait_state(lambda st: st["focus"], what="the editor focused")
    s.key("ctrl+v")
    target.wait_text(letter)
    s.key("ctrl+Home", "shift+End")
    target.wait_state(lambda st: st["sel"] == [0, len(first_line)], what="the first line selected")
    s.key("ctrl+c")
    s.wait_until(lambda: clip.read() == first_line, what="the editor's copy of its first line on the clipboard")


def viewer_text(window):
    return edit_text(window, IDC_CLIPBOARD_TEXT)


def crypt_enabled(window):
    return toolbar_button(window, ID_TB_CRYPT)["enabled"]


@scenario(needs_cli=True)
def viewer_open_block(s):
    """A sealed block on the clipboard: the viewer shows it with its toolbar (Russian tooltips);
    "Зашифровать/расшифровать" asks for the password in the modal password dialog, refuses a wrong
    one and asks again, shows the letter and is disabled afterwards; "Копировать" closes the
    viewer and leaves the clipboard as it was (a decrypted text is never copied)."""
    letter = sample_letter()
    block = s.cli_seal(PASSWORD, letter)
    clip = Clipboard(s)
    app = Velkaro(s, settings_file()).start()
    clip.put(block)

    s.step("the tray menu opens the viewer, which shows the clipboard's block")
    viewer = app.open_viewer(screenshot="viewer-block")
    check(viewer_text(viewer) == block, f"the viewer shows {viewer_text(viewer)[:80]!r}, not the block")
    layout = [None if b["separator"] else b["id"] for b in toolbar_buttons(viewer)]
    check(layout == [command for command, _ in VIEWER_TOOLBAR], f"the toolbar holds {layout}")
    check(all(b["enabled"] for b in toolbar_buttons(viewer) if not b["separator"]),
          f"a button is disabled: {toolbar_buttons(viewer)}")
    left, top, right, bottom = viewer["rect"]
    check(0 <= left and 0 <= top and right <= DESKTOP_SIZE[0] and bottom <= DESKTOP_SIZE[1],
          f"the viewer {viewer['rect']} is not on the screen")

    s.step("every toolbar button has its Russian tooltip")
    for command, tip in VIEWER_TOOLBAR:
        if command is not None:
            app.wait_tooltip(tip, toolbar_button(viewer, command)["rect"])
    s.screenshot("viewer-tooltip")

    s.step("while the viewer is open the tray menu greys \"Очистить буфер обмена\"")
    menu = app.tray_menu()
    check(menu["items"][1]["grayed"] and menu_text(menu["items"][1]["text"]) == "Очистить буфер обмена",
          f"the menu's position 1 is {menu['items'][1]}")
    s.choose_menu_item("Закрыть меню")

    s.step("32788 asks for the password in the modal dialog; a wrong password is refused")
    app.click_toolbar(viewer, ID_TB_CRYPT)
    dialog = app.wait_password_dialog()
    check(all(Snapshot.control(dialog, c) for c in PASSWORD_TEMPLATE_CONTROLS),
          f"the password dialog is not template 102: {[c['id'] for c in dialog['controls']]}")
    check(Snapshot.control(dialog, IDC_KEEP_PASSWORD_BOX)["checked"] == 1, "the keep box is not checked")
    s.window_screenshot("password-dialog", dialog)
    app.enter_password("not-the-password")
    app.answer_message(app.wait_message("Неправильный пароль", screenshot="wrong-password"))
    dialog = app.wait_password_dialog()
    check(Snapshot.control(dialog, 1002)["text_length"] == 0, "the new dialog holds the wrong password")
    check(viewer_text(app.current(viewer)) == block, "a wrong password changed the viewer's text")

    s.step("the right password: the letter in the viewer, 32788 disabled")
    app.enter_password()
    viewer = app.wait_window_state(viewer, lambda w: viewer_text(w) == letter and not crypt_enabled(w),
                                   "the letter in the viewer and 32788 disabled")
    s.wait_snapshot(lambda sh: not app.password_dialog(sh), what="the password dialog closed")
    s.window_screenshot("viewer-letter", viewer)

    s.step("32793 closes the viewer; the clipboard still holds the block, untouched")
    app.click_toolbar(viewer, ID_TB_COPY)
    app.wait_closed(viewer, "the viewer closed by 32793")
    check(clip.read() == block, "the clipboard does not hold the block any more")

    s.step("32789 empties the clipboard and the viewer and enables 32788; a typed text is sealed")
    viewer = app.open_viewer()
    app.click_toolbar(viewer, ID_TB_CLEAR)
    viewer = app.wait_window_state(viewer, lambda w: viewer_text(w) == b"" and crypt_enabled(w),
                                   "the viewer emptied and 32788 enabled")
    check(clip.read() is None, f"the clipboard still holds text: {clip.last}")
    app.click_into(viewer, IDC_CLIPBOARD_TEXT)
    typed = "Kopiya dlya Anny: vstrecha v pyatnicu."
    s.type_ascii(typed)
    viewer = app.wait_window_state(viewer, lambda w: viewer_text(w) == typed.encode(), "the typed text in the viewer")
    app.click_toolbar(viewer, ID_TB_CRYPT)  # the key of the decryption is kept: no password
    viewer = app.wait_window_state(viewer, lambda w: sealed(viewer_text(w)), "the typed text sealed")
    s.window_screenshot("viewer-typed-sealed", viewer)
    app.click_toolbar(viewer, ID_TB_COPY)
    app.wait_closed(viewer, "the viewer closed by 32793")
    check_opens(s, clip.read(), typed.encode())


@scenario(needs_cli=True)
def viewer_seal_text(s):
    """Plain text on the clipboard: the viewer seals it after the password, and "Копировать" puts the
    block on the clipboard and closes the viewer. The viewer reopens where it was closed. While it is
    open, gestures on other programs do nothing; after it closed they work again."""
    letter = sample_letter()
    clip = Clipboard(s)
    app = Velkaro(s, settings_file()).start()
    target = EditTarget(s, text=letter, size=(360, 200), pos=(620, 40)).start()
    clip.put(letter)

    s.step("the viewer shows the clipboard's letter; the password dialog cancelled changes nothing")
    viewer = app.open_viewer(screenshot="viewer-text")
    check(viewer_text(viewer) == letter, f"the viewer shows {viewer_text(viewer)[:80]!r}, not the letter")
    app.click_toolbar(viewer, ID_TB_CRYPT)
    dialog = app.wait_password_dialog()
    s.window_screenshot("password-dialog", dialog)
    app.click_control(dialog, IDCANCEL)
    s.wait_snapshot(lambda sh: not app.password_dialog(sh), what="the password dialog closed by Cancel")
    viewer = app.current(viewer)
    check(viewer_text(viewer) == letter and crypt_enabled(viewer), "Cancel changed the text or disabled 32788")

    s.step("32788 again and the password seal the letter")
    app.click_toolbar(viewer, ID_TB_CRYPT)
    app.wait_password_dialog()
    app.enter_password()
    viewer = app.wait_window_state(viewer, lambda w: sealed(viewer_text(w)) and not crypt_enabled(w),
                                   "the sealed block in the viewer and 32788 disabled")
    block = viewer_text(viewer)
    check(block.startswith(OPEN_MARKER), f"something stands before the block: {block[:40]!r}")
    check_opens(s, block, letter)
    s.window_screenshot("viewer-sealed", viewer)

    s.step("32793 puts the block on the clipboard and closes the viewer")
    app.click_toolbar(viewer, ID_TB_COPY)
    app.wait_closed(viewer, "the viewer closed by 32793")
    check(clip.read() == block, "the clipboard does not hold the viewer's block")

    s.step("the viewer, moved by its title bar and closed, reopens where it was")
    viewer = app.open_viewer()
    check(viewer_text(viewer) == block, "the reopened viewer does not show the clipboard's block")
    left, top, right, bottom = viewer["rect"]
    grip = ((left + right) // 2, (top + viewer["client"][1]) // 2)
    dx, dy = 150, 90
    drag(s, grip, (grip[0] + dx, grip[1] + dy))
    moved = [left + dx, top + dy, right + dx, bottom + dy]
    viewer = app.wait_window_state(viewer, lambda w: w["rect"] == moved, f"the viewer moved to {moved}")
    s.screenshot("viewer-moved")

    s.step("while the viewer is open a double click on the editor does nothing")
    point = target.word_point(1)
    check(not (moved[0] <= point[0] < moved[2] and moved[1] <= point[1] < moved[3]),
          f"the viewer {moved} covers the editor's text at {point}")
    s.double_click(*point)
    s.click_tray_icon(CAPTION)  # a left click on the icon is ignored too
    app.requests_handled()
    shot = s.fresh_snapshot()
    check(not app.password_window(shot) and not app.password_dialog(shot),
          "the double click or the icon asked for a password")
    check(target.text() == letter, "the double click changed the editor's text")
    s.screenshot("gesture-ignored")

    app.click_toolbar(app.current(viewer), ID_TB_EXIT)
    app.wait_closed(viewer, "the viewer closed by 32813")
    viewer = app.open_viewer(screenshot="viewer-reopened")
    check(viewer["rect"] == moved, f"the viewer reopened at {viewer['rect']}, it was closed at {moved}")
    app.click_toolbar(viewer, ID_TB_EXIT)
    app.wait_closed(viewer, "the viewer closed by 32813")

    s.step("with the viewer closed the double click works again (the key is kept: no password)")
    s.double_click(*target.word_point(1))
    check_opens(s, target.wait_text(sealed, what="the editor's letter sealed"), letter)


@scenario()
def viewer_save(s):
    """"Сохранить" in the viewer asks for a file name in the system's save dialog ("Сохранить файл",
    proposing "Безымянный") and writes the viewer's text as the file's whole content: a longer file
    of that name is replaced after the overwrite question, not overwritten in part. The viewer stays
    open."""
    letter = sample_letter()
    clip = Clipboard(s)
    app = Velkaro(s, settings_file()).start()
    clip.put(letter)
    saved = s.artifacts / "saved.txt"
    saved.write_bytes(b"an older and longer file " * 40)
    viewer = app.open_viewer()

    s.step("32785: the save dialog proposes \"Безымянный\"")
    app.click_toolbar(viewer, ID_TB_SAVE)
    _, dialog = s.wait_snapshot(lambda sh: app.dialog(sh, "Сохранить файл"), what="the save dialog")
    field = s.wait_snapshot(lambda sh: sh.focus and sh.focus["class"] == "Edit" and sh.focus["root"] == dialog["hwnd"]
                            and sh.focus, what="the caret in the file name")[1]
    name = next(c for c in dialog["controls"] if c["hwnd"] == field["hwnd"])
    check(name["text"] == "Безымянный", f"the dialog proposes {name['text']!r}")
    s.window_screenshot("save-dialog", dialog)

    s.step("a file name typed and Enter: the overwrite question, Yes, the file holds the text")
    s.key("End", "shift+Home")
    s.type_ascii(windows_path(saved))
    s.key("Return")
    _, question = s.wait_snapshot(
        lambda sh: next((w for w in sh.windows(cls="#32770", pid=app.pid) if Snapshot.control(w, 6)), None),
        what="the question whether to replace the file")
    s.window_screenshot("overwrite-question", question)
    app.click_control(question, 6)  # IDYES
    s.wait_until(lambda: saved.read_bytes() == letter, what="the file holding exactly the viewer's text",
                 seen=lambda: f"{saved} holds {saved.read_bytes()[:80]!r}")
    s.wait_no_window(title="Сохранить файл", pid=app.pid)
    viewer = app.current(viewer)
    check(viewer is not None and viewer_text(viewer) == letter, "the viewer closed or changed after saving")
    app.click_toolbar(viewer, ID_TB_EXIT)
    app.wait_closed(viewer, "the viewer closed by 32813")


# ---- The settings sheet

def sheet_button(sheet, button_id):
    """A button of the sheet itself (not of a page)."""
    return next((c for c in sheet["controls"] if c["id"] == button_id and c["parent"] == sheet["hwnd"]), None)


def changed_settings(before, after):
    """The fields of velkaro.ini (bytes before, bytes after) that differ, with their new values."""
    old, new = parse_settings(before), parse_settings(after)
    return {k: new[k] for k in new if new[k] != old[k]}


def checked(window, control_id):
    control = visible_control(window, control_id)
    check(control is not None, f"the page shows no control {control_id}")
    return bool(control.get("checked"))


@scenario(needs_cli=True)
def settings_modifier_key(s):
    """The settings sheet shows its three pages with OK and Cancel only. INS chosen on the page
    "Стегонаграфия" and OK stored: a Ctrl + double click on an HTML letter then encrypts it in the
    ordinary way, and Insert + double click hides it behind the cover text."""
    app = Velkaro(s, settings_file()).start()
    ordinary = HtmlTarget(s, name="ordinary", kind="compose", html=HTML_LETTER, size=(440, 200), pos=(20, 20)).start()
    hidden = HtmlTarget(s, name="hidden", kind="compose", html=HTML_LETTER, size=(440, 200), pos=(20, 300)).start()

    s.step("the sheet: three pages, only OK and Cancel")
    sheet = app.open_settings(screenshot="sheet-general")
    tabs = [t["text"] for t in control_of_class(sheet, "SysTabControl32")["tabs"]]
    check(tabs == SETTINGS_PAGES, f"the sheet's tabs read {tabs}")
    for button_id, text in ((IDOK, "OK"), (IDCANCEL, "Cancel")):
        button = sheet_button(sheet, button_id)
        check(button and button["visible"] and button["enabled"], f"the sheet does not show button {button_id}")
    for button_id in (IDC_SHEET_APPLY, IDC_SHEET_HELP):
        button = sheet_button(sheet, button_id)
        check(button is None or not button["visible"], f"the sheet shows the button {button_id}: {button}")
    sheet = app.sheet_page(sheet, PAGE_TEXT, screenshot="sheet-text")
    sheet = app.sheet_page(sheet, PAGE_STEGO, screenshot="sheet-stego")
    check(checked(sheet, IDC_STEGO_CTRL) and not checked(sheet, IDC_STEGO_INS) and not checked(sheet, IDC_STEGO_SHIFT),
          "the stored key 17 does not show CTRL checked")
    shown = [i["text"] for i in visible_control(sheet, IDC_STEGO_TEMPLATES)["items"]]
    check(shown == TEMPLATES_ALPHABETICAL, f"the page lists the templates as {shown}")
    check(visible_control(sheet, IDC_STEGO_OWN_TEMPLATE)["text"] == ">", "the own template is not \">\"")

    s.step("INS and OK: the settings file holds the Insert key (45) and the templates in the list's order")
    app.click_control(sheet, IDC_STEGO_INS)
    sheet = app.wait_window_state(sheet, lambda w: checked(w, IDC_STEGO_INS) and not checked(w, IDC_STEGO_CTRL),
                                  "INS checked")
    s.window_screenshot("sheet-stego-ins", sheet)
    before = app.ini.read_bytes()
    app.close_sheet(sheet, IDOK)
    s.wait_until(lambda: app.ini.read_bytes() != before, what="velkaro.ini written by OK")
    stored = parse_settings(app.ini.read_bytes())
    check(stored["stegoModifierKey"] == 45, f"the stored key is {stored['stegoModifierKey']}")
    check(stored["templates"] == TEMPLATES_ALPHABETICAL, f"the stored templates are {stored['templates']}")
    expected = parse_settings(settings_file())
    changed = {k for k in expected if expected[k] != stored[k]}
    check(changed == {"stegoModifierKey", "templates"}, f"OK changed {changed}")

    s.step("Ctrl + double click: an ordinary encryption of the HTML letter")
    with holding(s, "ctrl"):
        s.double_click(*ordinary.point(0.5, 0.5))
        app.wait_password_window(over=ordinary.client())
    app.enter_password()
    page = ordinary.wait_page(lambda p: p["puts"] and "click" in p["window_events"], what="the letter encrypted")
    app.wait_hidden()
    check([p["kind"] for p in page["puts"]] == ["innerHTML"], f"the letter was written as {page['puts']}")
    check(page["inner_html"].startswith(BLOCK_MARKER) and page["inner_html"].endswith(CLOSING_MARKER)
          and "<!--" not in page["inner_html"], f"not an ordinary block: {page['inner_html'][:60]!r}")
    check(page["bg_colours"] == ["cornsilk"], f"the background colours written: {page['bg_colours']}")
    check(s.cli_open(PASSWORD, page["inner_html"].encode("cp1251")) == HTML_LETTER.encode("cp1251"),
          "the block does not open to the letter")
    ordinary.wait_released()

    s.step("Insert + double click: the hidden form (the kept key, the chooser answered with Cancel)")
    with holding(s, "Insert"):
        s.double_click(*hidden.point(0.5, 0.5))
        chooser = app.wait_dialog(CHOOSER_CAPTION, screenshot="chooser")
    check(not app.password_window(s.snapshot()), "the password was asked although the key is kept")
    app.click_control(chooser, IDCANCEL)
    page = hidden.wait_page(lambda p: p["puts"] and "setfocus" in p["window_events"], what="the hidden form written")
    check(page["inner_html"].startswith(">" + "<!--" + BLOCK_MARKER) and page["inner_html"].endswith(
        CLOSING_MARKER + "-->"), f"not the hidden form behind the own template: {page['inner_html'][:60]!r}")
    check(page["bg_colours"] == [], f"a hidden message got a background: {page['bg_colours']}")
    hidden.wait_released()
    s.screenshot("letters-after")


@scenario(needs_cli=True)
def settings_note_and_password(s):
    """The note switched on in the sheet (page "Шифрование текста") and OK: the next encryption
    puts the note in front of the block. "Сохранять пароль в памяти" switched off and OK: the next
    decryption asks for the password although the key was kept."""
    letter = sample_letter()
    app = Velkaro(s, settings_file()).start()
    target = EditTarget(s, text=letter, size=(480, 240), pos=(500, 40)).start()

    s.step("a first seal asks for the password and keeps the key; the block opens with it")
    s.double_click(*target.word_point(1))
    app.wait_password_window()
    app.enter_password()
    text = target.wait_text(sealed, what="the sealed block")
    check(text.startswith(OPEN_MARKER), f"a note stands before the block with the note off: {text[:40]!r}")
    app.wait_hidden()
    s.double_click(*target.word_point(0))
    target.wait_text(letter)

    s.step("the note switched on and OK")
    sheet = app.open_settings()
    sheet = app.sheet_page(sheet, PAGE_TEXT)
    check(not checked(sheet, IDC_CFG_ADD_INFO_NOTE) and checked(sheet, IDC_CFG_COLOUR_BACKGROUND),
          "the page does not show the stored note and colour settings")
    sheet = app.set_check(sheet, IDC_CFG_ADD_INFO_NOTE, True)
    s.window_screenshot("sheet-note-on", sheet)
    before = app.ini.read_bytes()
    app.close_sheet(sheet, IDOK)
    s.wait_until(lambda: app.ini.read_bytes() != before, what="velkaro.ini written by OK")
    check(changed_settings(before, app.ini.read_bytes()) == {"addInfoNote": 1},
          f"OK on the first two pages stored {changed_settings(before, app.ini.read_bytes())}")

    s.step("the next seal (kept key) puts the default note before the block")
    s.double_click(*target.word_point(1))
    text = target.wait_text(sealed, what="the letter sealed with the note")
    check(text.startswith(DEFAULT_NOTE + OPEN_MARKER), f"the text does not begin with the note: {text[:120]!r}")
    check_opens(s, text, letter)
    s.screenshot("sealed-with-note")

    s.step("\"Сохранять пароль в памяти\" off and OK: the next decryption asks for the password")
    sheet = app.open_settings()
    check(checked(sheet, IDC_CFG_KEEP_PASSWORD), "the page does not show the kept password")
    sheet = app.set_check(sheet, IDC_CFG_KEEP_PASSWORD, False)
    s.window_screenshot("sheet-keep-off", sheet)
    before = app.ini.read_bytes()
    app.close_sheet(sheet, IDOK)
    s.wait_until(lambda: app.ini.read_bytes() != before, what="velkaro.ini written by OK")
    check(changed_settings(before, app.ini.read_bytes()) == {"keepPassword": 0},
          f"OK on the first page stored {changed_settings(before, app.ini.read_bytes())}")
    s.double_click(*target.word_point(0))
    window = app.wait_password_window("the password window although a key was kept before")
    check(Snapshot.control(window, IDC_KEEP_PASSWORD_BOX)["checked"] == 0, "the keep box is still checked")
    app.enter_password()
    target.wait_text(letter)
    app.wait_hidden()


@scenario()
def settings_cancel(s):
    """Cancel after changing every page changes nothing: the settings file's bytes, the Run values
    of the registry, the desktop and the program's folder stay as they were, and the sheet opened
    again shows the old values."""
    with prefix_desktop(s) as desktop:
        remove_autostart(s)
        app = Velkaro(s, settings_file()).start()
        ini, run, on_desktop = app.ini.read_bytes(), autostart_values(s), folder_listing(desktop)
        check(run == {"HKLM": None, "HKCU": None}, f"a Run value is left: {run}")
        program_folder = folder_listing(app.ini.parent)

        s.step("every page changed")
        sheet = app.open_settings()
        for box, value in ((IDC_CFG_KEEP_PASSWORD, False), (IDC_CFG_AUTOSTART, True), (IDC_CFG_DESKTOP_LINK, True)):
            sheet = app.set_check(sheet, box, value)
        s.window_screenshot("changed-general", sheet)
        sheet = app.sheet_page(sheet, PAGE_TEXT)
        for box, value in ((IDC_CFG_COLOUR_BACKGROUND, False), (IDC_CFG_ADD_INFO_NOTE, True)):
            sheet = app.set_check(sheet, box, value)
        s.window_screenshot("changed-text", sheet)
        sheet = app.sheet_page(sheet, PAGE_STEGO)
        app.click_control(sheet, IDC_STEGO_INS)
        sheet = app.set_check(sheet, IDC_STEGO_OFFER_LIST, False)
        check(not visible_control(sheet, IDC_STEGO_TEMPLATES)["enabled"], "the list stays enabled with 1040 clear")
        app.click_into(sheet, IDC_STEGO_OWN_TEMPLATE)
        s.key("End", "BackSpace")
        s.type_ascii("cover")
        sheet = app.wait_window_state(sheet, lambda w: visible_control(w, IDC_STEGO_OWN_TEMPLATE)["text"] == "cover"
                                      and checked(w, IDC_STEGO_INS), "the own template \"cover\" and INS")
        s.window_screenshot("changed-stego", sheet)

        s.step("Cancel: nothing changed")
        app.close_sheet(sheet, IDCANCEL)
        app.requests_handled()  # whatever Cancel started is over
        check(app.ini.read_bytes() == ini, "Cancel changed velkaro.ini")
        check(autostart_values(s) == run, f"Cancel changed the Run values: {autostart_values(s)}")
        check(folder_listing(desktop) == on_desktop, f"Cancel changed the desktop: {folder_listing(desktop)}")
        check(folder_listing(app.ini.parent) == program_folder,
              f"Cancel changed the program's folder: {folder_listing(app.ini.parent)}")

        s.step("the sheet opened again shows the stored values")
        sheet = app.open_settings()
        check(checked(sheet, IDC_CFG_KEEP_PASSWORD) and not checked(sheet, IDC_CFG_AUTOSTART)
              and not checked(sheet, IDC_CFG_DESKTOP_LINK), "the general page shows the cancelled values")
        sheet = app.sheet_page(sheet, PAGE_TEXT)
        check(checked(sheet, IDC_CFG_COLOUR_BACKGROUND) and not checked(sheet, IDC_CFG_ADD_INFO_NOTE),
              "the text page shows the cancelled values")
        sheet = app.sheet_page(sheet, PAGE_STEGO, screenshot="reopened-stego")
        check(checked(sheet, IDC_STEGO_CTRL) and checked(sheet, IDC_STEGO_OFFER_LIST)
              and visible_control(sheet, IDC_STEGO_OWN_TEMPLATE)["text"] == ">",
              "the steganography page shows the cancelled values")
        app.close_sheet(sheet, IDCANCEL)
        app.requests_handled()
        check(app.ini.read_bytes() == ini, "the second Cancel changed velkaro.ini")


@scenario()
def settings_autostart_and_link(s):
    """"Загружать вместе с Windows" and "Разместить линк на рабочем столе" checked and OK: the Run
    value names the program, exactly one link appears on the desktop and no staging file stays in
    the program's folder. Cleared and OK: both go again."""
    with prefix_desktop(s) as desktop:
        remove_autostart(s)
        app = Velkaro(s, settings_file()).start()
        check(autostart_values(s) == {"HKLM": None, "HKCU": None}, f"a Run value is left: {autostart_values(s)}")
        on_desktop, program_folder = folder_listing(desktop), folder_listing(app.ini.parent)

        s.step("both boxes checked and OK")
        sheet = app.open_settings()
        sheet = app.set_check(sheet, IDC_CFG_AUTOSTART, True)
        sheet = app.set_check(sheet, IDC_CFG_DESKTOP_LINK, True)
        s.window_screenshot("general-checked", sheet)
        before = app.ini.read_bytes()
        app.close_sheet(sheet, IDOK)
        # The settings file is written last, after the link and the registry.
        s.wait_until(lambda: app.ini.read_bytes() != before, what="velkaro.ini written by OK")
        stored = parse_settings(app.ini.read_bytes())
        check(stored["autoStart"] == 1 and stored["desktopLink"] == 1, f"stored: {stored}")
        values = autostart_values(s)
        check(values["HKLM"] == PROGRAM_PATH, f"the Run values are {values}, expected {PROGRAM_PATH!r} under HKLM")
        new = sorted(set(folder_listing(desktop)) - set(on_desktop))
        check(new == [LINK_NAME] and len(folder_listing(desktop)) == len(on_desktop) + 1,
              f"the desktop got {new}, expected exactly {LINK_NAME!r}")
        link = (desktop / LINK_NAME).read_bytes()
        check(link[:4] == b"\x4c\x00\x00\x00" and (PROGRAM_PATH.encode("cp1251") in link
                                                   or PROGRAM_PATH.encode("utf-16-le") in link),
              f"{LINK_NAME} is not a shell link to {PROGRAM_PATH}")
        check(folder_listing(app.ini.parent) == program_folder,
              f"a file was left in the program's folder: {folder_listing(app.ini.parent)}")

        s.step("the link deleted by hand comes back with the next OK, the box still checked")
        (desktop / LINK_NAME).unlink()
        sheet = app.open_settings()
        app.close_sheet(sheet, IDOK)
        app.requests_handled()  # the OK is carried out
        check((desktop / LINK_NAME).exists(), "the link was not made again")
        check(autostart_values(s)["HKLM"] == PROGRAM_PATH, "the Run value went")
        check(folder_listing(app.ini.parent) == program_folder, "a file was left in the program's folder")

        s.step("both boxes cleared and OK: the value and the link go")
        sheet = app.open_settings()
        check(checked(sheet, IDC_CFG_AUTOSTART) and checked(sheet, IDC_CFG_DESKTOP_LINK),
              "the page does not show the stored boxes")
        sheet = app.set_check(sheet, IDC_CFG_AUTOSTART, False)
        sheet = app.set_check(sheet, IDC_CFG_DESKTOP_LINK, False)
        before = app.ini.read_bytes()
        app.close_sheet(sheet, IDOK)
        s.wait_until(lambda: app.ini.read_bytes() != before, what="velkaro.ini written by OK")
        check(autostart_values(s) == {"HKLM": None, "HKCU": None}, f"the Run values are {autostart_values(s)}")
        check(folder_listing(desktop) == on_desktop, f"the desktop holds {folder_listing(desktop)}")


# ---- The note editor, the cover-text chooser, the about box

@scenario(needs_cli=True)
def note_editor(s):
    """The note editor opened by the button of the page "Шифрование текста": a missing
    msgtext.txt is created empty; more than 255 typed characters are saved as the first 255;
    clearing the text and closing with 32813 leaves the file as it was. The note then switched on,
    the next encryption carries the saved note."""
    app = Velkaro(s, settings_file()).start()
    note = app.note
    check(not note.exists(), "msgtext.txt exists before the editor was opened")
    ini = app.ini.read_bytes()
    sheet = app.sheet_page(app.open_settings(), PAGE_TEXT, screenshot="sheet-text")

    def editor_ready(w):
        return len(toolbar_buttons(w)) == len(NOTE_TOOLBAR) and Snapshot.control(w, IDC_INFO_NOTE_TEXT)

    s.step("the button opens the editor; the missing note file is created empty")
    app.click_control(sheet, IDC_CFG_EDIT_NOTE)
    editor = app.wait_dialog(NOTE_EDITOR_CAPTION, editor_ready, "the note editor with its toolbar", "editor-empty")
    check([b["id"] for b in toolbar_buttons(editor)] == NOTE_TOOLBAR, f"the toolbar holds {toolbar_buttons(editor)}")
    check(note.exists() and note.read_bytes() == b"", "msgtext.txt was not created empty")
    check(edit_text(editor, IDC_INFO_NOTE_TEXT) == b"", "the editor does not start empty")
    for command, tip in ((ID_TB_SAVE, "Сохранить"), (ID_TB_HELP, "Помощь"), (ID_TB_EXIT, "Выход")):
        app.wait_tooltip(tip, toolbar_button(editor, command)["rect"])
    field = Snapshot.control(editor, IDC_INFO_NOTE_TEXT)
    s.wait_snapshot(lambda sh: sh.focus and sh.focus["hwnd"] == field["hwnd"], what="the caret in the note")

    s.step("more than 255 characters typed and saved: the file holds the first 255")
    first, second = "Vnimanie: eto pismo zashifrovano.", "".join(f"{i:03d}-abcdef " for i in range(28))
    s.type_ascii(first)
    s.key("Return")
    s.type_ascii(second)
    typed = (first + "\r\n" + second).encode("cp1251")
    check(len(typed) > 255, "the typed note is not longer than 255 characters")
    # The edit may hold more than 255 characters (the save cuts them) but never loses typed ones.
    editor = app.wait_window_state(editor, lambda w: len(edit_text(w, IDC_INFO_NOTE_TEXT)) >= 255
                                   and typed.startswith(edit_text(w, IDC_INFO_NOTE_TEXT)),
                                   "the typed note in the editor")
    s.window_screenshot("editor-typed", editor)
    app.click_toolbar(editor, ID_TB_SAVE)
    app.wait_closed(editor, "the editor closed by saving")
    check(note.read_bytes() == typed[:255], f"msgtext.txt holds {note.read_bytes()!r}")

    s.step("opened again it shows the note; cleared and closed with 32813 the file stays")
    sheet = app.current(sheet)
    app.click_control(sheet, IDC_CFG_EDIT_NOTE)
    editor = app.wait_dialog(NOTE_EDITOR_CAPTION, lambda w: editor_ready(w)
                             and edit_text(w, IDC_INFO_NOTE_TEXT) == typed[:255], "the editor showing the saved note",
                             "editor-saved")
    app.click_toolbar(editor, ID_TB_CLEAR)
    editor = app.wait_window_state(editor, lambda w: edit_text(w, IDC_INFO_NOTE_TEXT) == b"", "the editor emptied")
    s.window_screenshot("editor-cleared", editor)
    app.click_toolbar(editor, ID_TB_EXIT)
    app.wait_closed(editor, "the editor closed by 32813")
    check(note.read_bytes() == typed[:255], "closing without saving changed msgtext.txt")
    check(sorted(p.name for p in note.parent.iterdir()) == ["msgtext.txt", "velhook.dll", "velkaro.exe", "velkaro.ini"],
          f"the program's folder holds {sorted(p.name for p in note.parent.iterdir())}")

    check(app.ini.read_bytes() == ini, "the note editor changed velkaro.ini")

    s.step("the note switched on and OK: the next encryption carries the saved note")
    sheet = app.set_check(app.current(sheet), IDC_CFG_ADD_INFO_NOTE, True)
    app.close_sheet(sheet, IDOK)
    s.wait_until(lambda: app.ini.read_bytes() != ini, what="velkaro.ini written by OK")
    letter = sample_letter()
    target = EditTarget(s, text=letter, size=(480, 240), pos=(500, 40)).start()
    s.double_click(*target.word_point(1))
    app.wait_password_window()
    app.enter_password()
    text = target.wait_text(sealed, what="the letter sealed with the note")
    check(text.startswith(typed[:255] + b"\r\n" + b"_" * 50 + b"\r\n" + OPEN_MARKER),
          f"the sealed text does not begin with the saved note: {text[:300]!r}")
    check_opens(s, text, letter)
    s.screenshot("sealed-with-note")


@scenario(needs_cli=True)
def cover_text_chooser(s):
    """A hidden message (Ctrl + double click on an HTML letter) with "Предлагать шаблон из списка "
    on, as the defaults have it: the chooser offers the ten templates in alphabetical order, and
    the chosen one stands in front of the hidden block. OK without a choice takes the last
    template of the settings list."""
    app = Velkaro(s, settings_file()).start()
    check(parse_settings(app.ini.read_bytes())["offerTemplateList"] == 1, "the defaults do not offer the list")
    first = HtmlTarget(s, name="first", kind="compose", html=HTML_LETTER, size=(440, 200), pos=(20, 20)).start()
    second = HtmlTarget(s, name="second", kind="compose", html=HTML_LETTER, size=(440, 200), pos=(20, 300)).start()

    def chooser_ready(w):
        return len((visible_control(w, IDC_TEMPLATE_LIST) or {}).get("items") or []) == len(TEMPLATES)

    s.step("Ctrl + double click and the password: the chooser with the templates in alphabetical order")
    with holding(s, "ctrl"):
        s.double_click(*first.point(0.5, 0.5))
        app.wait_password_window(over=first.client())
    app.enter_password()
    chooser = app.wait_dialog(CHOOSER_CAPTION, chooser_ready, "the chooser with its ten templates", "chooser")
    items = visible_control(chooser, IDC_TEMPLATE_LIST)["items"]
    check([i["text"] for i in items] == TEMPLATES_ALPHABETICAL, f"the chooser lists {[i['text'] for i in items]}")
    ok = Snapshot.control(chooser, IDOK)
    check(ok and ok["default"] and Snapshot.control(chooser, IDCANCEL), "the chooser lacks OK (default) or Cancel")
    check(first.page()["puts"] == [], "the letter was written before a cover text was chosen")

    s.step("a template chosen with a click and OK stands in front of the hidden block")
    choice = "Как у тебя дела?"
    item = next(i for i in items if i["text"] == choice)
    check(item["rect"] is not None, f"{choice!r} is not in sight in the list")
    s.click(*centre(item["rect"]))
    chooser = app.wait_window_state(chooser, lambda w: visible_control(w, IDC_TEMPLATE_LIST)["selected"]
                                    == items.index(item), f"{choice!r} selected")
    s.window_screenshot("chooser-selected", chooser)
    app.click_control(chooser, IDOK)
    page = first.wait_page(lambda p: p["puts"] and "setfocus" in p["window_events"], what="the hidden form written")
    html = page["inner_html"]
    check(html.startswith(choice + "<!--" + BLOCK_MARKER) and html.endswith(CLOSING_MARKER + "-->"),
          f"the letter is not the hidden form behind {choice!r}: {html[:60]!r}")
    check(page["inner_text"] == choice, f"the mail shows {page['inner_text']!r}")
    block = html[len(choice + "<!--"):-len("-->")]
    check(s.cli_open(PASSWORD, block.encode("cp1251")) == HTML_LETTER.encode("cp1251"),
          "the hidden block does not open to the letter")
    first.wait_released()

    s.step("OK without a choice: the last template of the settings list")
    with holding(s, "ctrl"):
        s.double_click(*second.point(0.5, 0.5))
        chooser = app.wait_dialog(CHOOSER_CAPTION, chooser_ready, "the chooser again (the key is kept)")
    check(visible_control(chooser, IDC_TEMPLATE_LIST)["selected"] == -1, "a template is selected at the start")
    app.click_control(chooser, IDOK)
    page = second.wait_page(lambda p: p["puts"] and "setfocus" in p["window_events"], what="the hidden form written")
    check(page["inner_text"] == TEMPLATES[-1], f"the mail shows {page['inner_text']!r}, not {TEMPLATES[-1]!r}")
    second.wait_released()
    s.screenshot("letters-after")


@scenario()
def about_box(s):
    """"О программе" in the tray menu opens the about box with the program's purpose and version;
    OK closes it and the program goes on."""
    app = Velkaro(s, settings_file()).start()
    app.choose("О программе")
    about = app.wait_dialog(ABOUT_CAPTION, lambda w: Snapshot.control(w, IDC_ABOUT_VERSION), screenshot="about")
    texts = [c.get("text", "") for c in about["controls"] if c["visible"]]
    for text in ("Программа для шифрования ", "почтовых сообщений.", "Web-mail шифратор"):
        check(text in texts, f"the about box lacks {text!r}: {texts}")
    check(Snapshot.control(about, IDC_ABOUT_VERSION)["text"] == " Версия 3.1",
          f"the version reads {Snapshot.control(about, IDC_ABOUT_VERSION)['text']!r}")
    check(Snapshot.control(about, IDOK)["text"] in ("OK", "ОК"), "the about box has no OK button")
    s.screenshot("about-on-desktop")
    app.click_control(about, IDOK)
    app.wait_closed(about, "the about box closed by OK")
    app.requests_handled()
    check(app.running(), "the program ended with the about box")
