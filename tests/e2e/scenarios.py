"""The end-to-end scenarios. Each is a function of a started Session, registered with
@scenario; run_e2e.py runs them and CMake makes each one a ctest test (e2e_<name>).

The scenarios here prove the harness with programs of our own (edit_target.exe, observer.exe).
Scenarios of velkaro.exe install it with s.install(["velkaro.exe", "velhook.dll"]), launch it
with s.launch(...) and drive it the same way.
"""

from pathlib import Path

from velkaro_e2e import (DESKTOP_SIZE, TARGET_TITLE, E2EFailure, EditTarget, Snapshot, centre, check, menu_text,
                         scenario)

DATA = Path(__file__).resolve().parent / "data"


def sample_letter():
    """The CP1251 sample letter (data/letter.cp1251.txt, made from letter.utf8.txt by iconv)."""
    letter = (DATA / "letter.cp1251.txt").read_bytes()
    check(letter.decode("cp1251") == (DATA / "letter.utf8.txt").read_bytes().decode("utf-8"),
          "data/letter.cp1251.txt is not letter.utf8.txt in CP1251: regenerate it with iconv")
    return letter


@scenario()
def infra(s):
    """The desktop, the edit target and the observer agree with what the input does."""
    letter = sample_letter()
    shot = s.snapshot()
    check(shot["screen"] == [0, 0, *DESKTOP_SIZE], f"Windows sees a screen of {shot['screen']}")
    bar = shot.taskbar["rect"]
    check(bar[0] == 0 and bar[2] == DESKTOP_SIZE[0] and bar[3] == DESKTOP_SIZE[1] and bar[1] > DESKTOP_SIZE[1] - 60,
          f"the taskbar is not along the bottom of the screen: {bar}")

    s.step("the pointer xdotool moves is where Windows sees it")
    for point in [(100, 200), (1000, 10), (3, 760)]:
        s.move(*point)
        s.wait_snapshot(lambda sh: tuple(sh["cursor"]) == point, what=f"the cursor at {point}")

    s.step("the target shows the letter, byte for byte")
    target = EditTarget(s, text=letter).start()
    check(target.text() == letter, f"the control holds {target.text()!r}, not the letter")
    check("Ж" in target.text().decode("cp1251"), "the letter lost its Cyrillic text")
    check(s.dark_pixels(target.line_rect(0)) > 20, f"nothing is drawn on the first line {target.line_rect(0)}")

    s.step("the observer sees the target in the foreground with the focus in its edit control")
    shot, _ = s.wait_snapshot(lambda sh: sh.focus and sh.focus["hwnd"] == target.edit and sh.foreground == target.main,
                              what="the target's edit control with the keyboard focus")
    window = shot.window(title=TARGET_TITLE)
    state = target.state()
    check(window and window["pid"] == target.pid and shot.exe_of(window["pid"]) == "edit_target.exe",
          f"the target's window is not edit_target.exe's: {window}")
    check(window["rect"] == state["window"], f"observer and target disagree on the window: {window} {state}")
    focus = shot.focus
    check(focus["class"] == "Edit" and not focus["password"] and focus["text_length"] == len(letter)
          and focus["rect"] == state["client"], f"the focus is not the target's edit control: {focus} {state}")
    s.window_screenshot("target", window)

    s.step("a double click on the first word selects it")
    s.double_click(*target.word_point(0))
    state = target.wait_state(lambda st: st["sel"][1] > st["sel"][0] and target.counter("lbuttondblclk", st) == 1,
                              what="a word selected by a double click that reached the control")
    start, end = state["sel"]
    check(start == 0 and letter[start:end].decode("cp1251").startswith("Здравствуйте"),
          f"the double click selected {letter[start:end].decode('cp1251')!r}")

    s.step("typing replaces the selected word, Enter breaks the line")
    s.type_ascii("Hello 123")
    expected = letter[:start] + b"Hello 123" + letter[end:]
    target.wait_text(expected)
    s.key("Return")
    expected = letter[:start] + b"Hello 123\r\n" + letter[end:]
    target.wait_text(expected)

    s.step("ALT+F10 reaches the focused control as the release of F10 with ALT held")
    s.chord("alt", "F10")
    target.wait_state(lambda st: target.counter("f10_down", st) == 1 and target.counter("f10_up", st) == 1,
                      what="F10 pressed and released with ALT held, in the control")

    s.step("ALT + right click reaches the control, whose context menu the observer reads")
    s.alt_right_click(*target.point(0.5, 0.5))
    menu = s.wait_menu()
    items = [i for i in menu["items"] if not i["separator"]]
    check(menu["pid"] == target.pid and len(items) >= 4 and all(i["rect"] for i in items),
          f"the context menu of the control is not what the observer reads: {menu}")
    check(target.counter("rbuttondown") == 1, f"the right button did not reach the control: {target.state()}")
    s.screenshot("context-menu")
    s.key("Escape")
    s.wait_no_menu()
    check(target.text() == expected, f"the text changed without input: {target.text()!r}")

    s.step("the notification area is found")
    area = s.tray_area()
    check(area[2] - area[0] > 100 and area[3] == DESKTOP_SIZE[1], f"no room for the notification area: {area}")
    icons = s.tray_icons()
    s.step(f"notification area {area}; explorer's own icons: {icons or 'none'}")
    s.screenshot("desktop")


@scenario()
def tray_menu(s):
    """A notification-area icon found by its tooltip, clicked, and its popup menu chosen from."""
    target = EditTarget(s, text="Меню".encode("cp1251"), size=(300, 100), tray=True).start()
    check(target.state()["tray"]["added"], "the target could not add its notification-area icon")
    icons = s.wait_tray_icons(1)
    icon = s.tray_icon(tip=TARGET_TITLE)
    check(icon == icons[0], f"the tooltip named {icon}, the capture found {icons}")
    s.screenshot("tray-tooltip")

    s.step("a left click on the icon reaches its program")
    s.click(*centre(icon))
    target.wait_state(lambda st: target.counter("tray_lbuttondown", st) == 1, what="the icon's left click")

    s.step("a right click opens the menu; the observer reads its items and their state")
    menu = s.open_tray_menu(TARGET_TITLE)
    items = [i for i in menu["items"] if not i["separator"]]
    check(menu["pid"] == target.pid, f"the menu is not the target's: {menu}")
    expected = [  # text, id, checked, greyed
        ("Первый пункт", 201, False, False),
        ("Отмеченный пункт", 202, True, False),
        ("Недоступный пункт", 203, False, True),
        ("Сообщение", 205, False, False),
        ("Закрыть меню", 204, False, False),
    ]
    seen = [(menu_text(i["text"]), i["id"], i["checked"], i["grayed"]) for i in items]
    check(seen == expected, f"the menu reads {seen}")
    check(len(menu["items"]) == 6 and menu["items"][4]["separator"], "the separator is not at position 4")
    s.screenshot("tray-menu")

    s.step("choosing an item by its text sends its command")
    s.choose_menu_item("Первый пункт")
    target.wait_state(lambda st: st["tray"]["last_command"] == 201, what="command 201")

    s.step("Esc closes the menu without a command")
    s.open_tray_menu(TARGET_TITLE)
    s.key("Escape")
    s.wait_no_menu()
    state = target.wait_state(lambda st: True)
    check(target.counter("menu_command", state) == 1 and state["tray"]["last_command"] == 201,
          f"Esc chose something: {state}")

    s.open_tray_menu(TARGET_TITLE)
    s.choose_menu_item("Закрыть меню")
    target.wait_state(lambda st: st["tray"]["last_command"] == 204, what="command 204")


@scenario()
def dialogs(s):
    """A password dialog and a message box as the observer shows them: controls, focus, the
    password's length but never its text; typing, a check box, Enter and a button by its id."""
    password = "Secret-42"
    target = EditTarget(s, text=b"letter", tray=True, dialog=True).start()
    dialog = s.wait_window(title="Velkaro test dialog", cls="#32770")
    field, keep = Snapshot.control(dialog, 1002), Snapshot.control(dialog, 1003)
    ok, cancel = Snapshot.control(dialog, 1), Snapshot.control(dialog, 2)
    check(field and field["password"] and "text" not in field and field["text_length"] == 0,
          f"the password field is not reported as one: {field}")
    check(keep and keep["checked"] == 1, f"the check box is not checked: {keep}")
    check(ok and ok["default"] and ok["text"] == "OK" and cancel and cancel["text"] == "Cancel",
          f"the buttons read {ok} {cancel}")
    check(any(c.get("text") == "Пароль:" for c in dialog["controls"]), "the label is missing")
    s.wait_snapshot(lambda sh: sh.foreground == dialog["hwnd"] and sh.focus and sh.focus["hwnd"] == field["hwnd"]
                    and sh.focus["password"], what="the caret in the password field")

    s.step("a typed password shows as its length only")
    s.type_ascii(password)
    s.wait_snapshot(lambda sh: sh.focus and sh.focus["text_length"] == len(password),
                    what=f"{len(password)} characters in the password field")
    check(password not in s.snapshot_file.read_text(encoding="utf-8"), "the snapshot holds the password")
    s.click(*centre(keep["rect"]))
    shot, _ = s.wait_snapshot(lambda sh: (Snapshot.control(sh.window_by_handle(dialog["hwnd"]), 1003) or {})
                              .get("checked") == 0, what="the check box cleared")
    s.window_screenshot("dialog", shot.window_by_handle(dialog["hwnd"]))

    s.step("Enter confirms the dialog, which hides; nothing reached the editor")
    s.key("Return")
    state = target.wait_state(lambda st: target.counter("dialog_ok", st) == 1, what="the dialog's OK")
    check(state["dialog"]["password"] == password and not state["dialog"]["keep"] and not state["dialog"]["visible"],
          f"the dialog took {state['dialog']}")
    s.wait_no_window(title="Velkaro test dialog")
    check(target.text() == b"letter", f"the editor holds {target.text()!r}")

    s.step("a message box: its text, and a button clicked by its id")
    s.open_tray_menu(TARGET_TITLE)
    s.choose_menu_item("Сообщение")
    box = s.wait_window(cls="#32770", title=TARGET_TITLE)
    check(any(c.get("text") == "Проверка связи" for c in box["controls"]), f"the box reads {box['controls']}")
    s.window_screenshot("message-box", box)
    s.click(*centre(Snapshot.control(box, 2)["rect"]))
    target.wait_state(lambda st: st["message_box_result"] == 2, what="the box answered with Cancel (2)")
    s.wait_no_window(cls="#32770", title=TARGET_TITLE)


# The controls the hook's size rules are tested on: the size given is the client area the hook
# measures, whatever the border and scroll bar add.
VARIANTS = [
    # name, options, class
    ("narrow", dict(size=(40, 200), pos=(20, 20)), "Edit"),
    ("single-line", dict(size=(120, 20), single_line=True, pos=(150, 20)), "Edit"),
    ("richedit", dict(size=(400, 120), cls="RichEdit20A", pos=(320, 20)), "RichEdit20A"),
]


@scenario()
def target_variants(s):
    """Each kind of target has the client size and class asked for, holds its text and takes input."""
    text = "Ёж".encode("cp1251")
    # One of them runs from a copy installed in the prefix, as velkaro.exe will.
    installed = s.install(["edit_target.exe"], folder="e2e-targets")
    check(s.installed_file("e2e-targets", "edit_target.exe").is_file(), "the copy is not in the prefix")
    targets = []
    for name, options, cls in VARIANTS:
        program = installed if name == "richedit" else None
        targets.append((name, cls, options, EditTarget(s, name=name, text=text, program=program, **options).start()))
    for name, cls, options, target in targets:
        state = target.state()
        left, top, right, bottom = state["client"]
        check((right - left, bottom - top) == options["size"],
              f"{name}: client area {right - left}x{bottom - top}, asked for {options['size']}")
        check(state["class"] == cls and state["multiline"] == (not options.get("single_line", False)),
              f"{name}: {state['class']}, multiline {state['multiline']}")
        check(target.text() == text, f"{name}: holds {target.text()!r}")

        s.step(f"{name}: a click gives it the focus; typing reaches it")
        s.click(*target.point(0.5, 0.5))
        shot, _ = s.wait_snapshot(lambda sh: sh.focus and sh.focus["hwnd"] == target.edit,
                                  what=f"the focus in {name}")
        check(shot.focus["class"] == cls and shot.focus["rect"] == state["client"],
              f"{name}: the observer sees the focus as {shot.focus}")
        s.key("ctrl+End")
        s.type_ascii("ok")
        target.wait_text(text + b"ok")
    s.screenshot("variants")


@scenario(needs_cli=True)
def cli_block(s):
    """A block sealed by velkaro-cli, shown in an edit control and read back, opens to the letter."""
    letter = sample_letter()
    password = "e2e-password"
    block = s.cli_seal(password, letter)
    check(b"[!dgt_encry]" in block and block.endswith(b"[/!dgt_encry]"), f"not a sealed block: {block[:80]!r}")
    target = EditTarget(s, text=block).start()
    shown = target.text()
    check(shown == block, "the control changed the block")
    check(s.cli_open(password, shown) == letter, "the block read back from the control does not open to the letter")
    s.window_screenshot("sealed-block", target.window())


__all__ = ["E2EFailure"]
