"""End-to-end scenarios of the tray program: the real velkaro.exe and velhook.dll on the Wine
desktop, driven by gestures, typing and the tray icon against edit_target.exe, an editor of
another process that reports its text.

Most scenarios start the program with a settings file of their own (velkaro_app.settings_file),
so no start-up message is in the way.
"""

from scenarios import sample_letter
from velkaro_app import CAPTION, IDC_PASSWORD, IDCANCEL, IDOK, OPEN_MARKER, PASSWORD, TRAY_MENU, Velkaro, check_opens, sealed, settings_file
from velkaro_e2e import DESKTOP_SIZE, E2EFailure, EditTarget, Snapshot, check, menu_text, scenario


@scenario(needs_cli=True)
def velkaro_double_click(s):
    """A double click seals the editor's letter after a password; a second one opens it with
    the kept key, no password asked."""
    letter = sample_letter()
    app = Velkaro(s, settings_file()).start()
    target = EditTarget(s, text=letter, size=(520, 260), pos=(240, 180)).start()
    s.screenshot("target")

    s.step("a double click on the letter: the password window over the target, the caret in its field")
    s.double_click(*target.word_point(1))
    window = app.wait_password_window()
    left, top, right, bottom = target.client()
    wl, wt, wr, wb = window["rect"]
    check(abs((wl + wr) // 2 - (left + right) // 2) <= 1 and abs((wt + wb) // 2 - (top + bottom) // 2) <= 1,
          f"the password window {window['rect']} is not centred on the target {target.client()}")
    check(window["topmost"], "the password window is not topmost")
    check(target.counter("lbuttondblclk") == 0, "the double click reached the editor")
    s.window_screenshot("password-window", window)
    s.screenshot("password-window-over-target")

    s.step("the password and Enter: the editor holds the block and the closing marker")
    app.enter_password()
    text = target.wait_text(sealed, what="the sealed block in the editor")
    check(text.startswith(OPEN_MARKER), f"something stands before the block: {text[:40]!r}")
    check_opens(s, text, letter)
    app.wait_hidden()
    s.screenshot("sealed")

    s.step("a double click on the block opens it at once with the kept key")
    s.double_click(*target.word_point(0))
    target.wait_text(letter)
    shot = s.fresh_snapshot()
    check(not app.password_window(shot), "the password window was shown although the key is kept")
    check(app.ini.read_bytes() == settings_file(), "the settings file changed")


@scenario(needs_cli=True)
def velkaro_wrong_password(s):
    """Without the kept password every request asks; a wrong password says so and leaves the
    window open, the right one then finishes the same request."""
    letter = sample_letter()
    app = Velkaro(s, settings_file(keep_password=0)).start()
    target = EditTarget(s, text=letter).start()
    s.double_click(*target.word_point(1))
    window = app.wait_password_window()
    check(Snapshot.control(window, 1003)["checked"] == 0, "the keep box is checked although the setting is off")
    app.enter_password()
    text = target.wait_text(sealed, what="the sealed block")
    check_opens(s, text, letter)
    app.wait_hidden()

    s.step("the block asks for the password again; a wrong one gives the message")
    s.double_click(*target.word_point(0))
    app.wait_password_window()
    app.enter_password("not-the-password")
    app.answer_message(app.wait_message("Неправильный пароль", screenshot="wrong-password"))
    window = app.wait_password_window("the password window open again for another try")
    check(target.text() == text, "a wrong password changed the text")
    check(Snapshot.control(window, IDC_PASSWORD)["text_length"] == 0, "the wrong password is still in the field")

    s.step("the right password opens the same block")
    app.enter_password()
    target.wait_text(letter)
    app.wait_hidden()


@scenario(needs_cli=True)
def velkaro_gestures(s):
    """ALT + right click and ALT+F10 start a request; a double click near the right edge does
    nothing; windows too small for the mouse keep their double click."""
    letter = sample_letter()
    app = Velkaro(s, settings_file()).start()
    target = EditTarget(s, text=letter, size=(420, 200), pos=(60, 60)).start()

    s.step("ALT + right click: the password window, no context menu in the editor")
    s.alt_right_click(*target.point(0.4, 0.5))
    app.wait_password_window()
    check(target.counter("rbuttondown") == 0 and target.counter("contextmenu") == 0,
          f"the right button reached the editor: {target.state()['counters']}")
    s.key("Escape")
    app.wait_hidden()
    check(target.text() == letter, "Esc changed the text")

    s.step("ALT+F10 on the focused editor: the password window; the password seals the letter")
    s.click(*target.point(0.4, 0.5))
    target.wait_state(lambda st: st["focus"], what="the editor focused")
    s.chord("alt", "F10")
    app.wait_password_window()
    app.enter_password()
    text = target.wait_text(sealed, what="the block sealed after ALT+F10")
    check_opens(s, text, letter)
    app.wait_hidden()

    s.step("a double click 10 pixels from the right edge does nothing")
    left, top, right, bottom = target.client()
    s.double_click(right - 10, (top + bottom) // 2)
    app.requests_handled()
    check(not app.password_window(s.fresh_snapshot()), "a double click near the edge started a request")
    check(target.text() == text, "a double click near the edge changed the text")

    s.step("a window 40 pixels wide gets its double click; the program does nothing")
    narrow = EditTarget(s, name="narrow", text="Узкое окно".encode("cp1251"), size=(40, 200), pos=(600, 60)).start()
    s.double_click(*narrow.point(0.5, 0.2))
    narrow.wait_state(lambda st: narrow.counter("lbuttondblclk", st) == 1, what="the double click in the narrow window")
    app.requests_handled()
    check(not app.password_window(s.fresh_snapshot()), "the narrow window started a request")

    s.step("a single-line field of 120 x 20: ALT+F10 seals it, the double click is its own")
    field = EditTarget(s, name="field", text=b"Pole vvoda", size=(120, 20), single_line=True, pos=(600, 320)).start()
    s.double_click(*field.point(0.3, 0.5))
    field.wait_state(lambda st: field.counter("lbuttondblclk", st) == 1 and st["focus"],
                     what="the double click in the field, which has the focus")
    app.requests_handled()
    check(not app.password_window(s.fresh_snapshot()), "the double click on a 20-pixel field started a request")
    # The keyboard gesture is refused, like the mouse's, with the cursor within 20 pixels of the
    # right or bottom edge, which in a 20-pixel field is everywhere in it: the cursor goes above.
    left, top, _, _ = field.client()
    s.move(left + 10, top - 15)
    s.chord("alt", "F10")
    # The key of the earlier seal is kept: the field is sealed at once, no password asked.
    check_opens(s, field.wait_text(sealed, what="the field sealed by ALT+F10"), b"Pole vvoda")


@scenario(needs_cli=True)
def velkaro_tray_menu(s):
    """The tray menu: sleep mode turns the gestures off and on and changes the icon; erasing
    the password makes the next decryption ask; Exit asks, and OK ends the program."""
    letter = sample_letter()
    app = Velkaro(s, settings_file()).start()
    target = EditTarget(s, text=letter, size=(420, 200), pos=(60, 60)).start()

    s.step("the menu's eleven positions")
    menu = app.tray_menu()
    items = menu["items"]
    check(len(items) == 11 and items[3]["separator"] and items[7]["separator"],
          f"the menu has {len(items)} positions: {items}")
    texts = [menu_text(i["text"]) for i in items if not i["separator"]]
    check(texts == TRAY_MENU, f"the menu reads {texts}")
    sleep_item = next(i for i in items if menu_text(i["text"]) == "Спящий режим")
    check(not sleep_item["checked"], "sleep mode is checked at start")
    s.screenshot("tray-menu")
    s.choose_menu_item("Закрыть меню")

    icon = s.tray_icon(CAPTION)
    awake = s.capture_rgb(icon)

    s.step("sleep mode: the icon changes and a double click reaches the editor")
    app.choose("Спящий режим")
    s.wait_until(lambda: s.capture_rgb(icon) != awake, what="the sleep icon in the tray")
    s.screenshot("sleep-icon", [icon[0] - 40, icon[1] - 4, icon[2] + 4, icon[3] + 4])
    s.double_click(*target.word_point(0))
    target.wait_state(lambda st: target.counter("lbuttondblclk", st) == 1, what="the double click in the editor")
    menu = app.tray_menu()
    check(next(i for i in menu["items"] if menu_text(i["text"]) == "Спящий режим")["checked"],
          "sleep mode is not checked")
    s.choose_menu_item("Спящий режим")
    s.wait_until(lambda: s.capture_rgb(icon) == awake, what="the normal icon back")

    s.step("awake again: the double click seals the letter")
    s.double_click(*target.word_point(1))
    app.wait_password_window()
    app.enter_password()
    text = target.wait_text(sealed, what="the sealed block")
    app.wait_hidden()

    s.step("Стереть пароль: the next decryption asks for the password")
    app.choose("Стереть пароль")
    s.double_click(*target.word_point(0))
    app.wait_password_window("the password window although the key was kept before")
    app.enter_password()
    target.wait_text(letter)
    app.wait_hidden()
    check_opens(s, text, letter)

    s.step("Выход with Cancel keeps the program running")
    app.choose("Выход")
    box = app.wait_message("Вы хотите завершить выполнение программы ?", screenshot="exit-question")
    app.answer_message(box, IDCANCEL)
    check(app.running(), "Cancel ended the program")
    app.requests_handled()

    s.step("Выход with OK removes the icon and the hooks; the process ends")
    app.choose("Выход")
    app.answer_message(app.wait_message("Вы хотите завершить выполнение программы ?"), IDOK)
    s.wait_snapshot(lambda sh: app.pid not in sh.pids_of("velkaro.exe"), what="velkaro.exe ended")
    s.wait_until(lambda: not s.tray_icons(), what="no icon left in the tray")
    before = target.counter("lbuttondblclk")
    s.double_click(*target.word_point(0))
    target.wait_state(lambda st: target.counter("lbuttondblclk", st) == before + 1,
                      what="the double click reaching the editor: no hook left")


@scenario(needs_cli=True)
def velkaro_second_instance(s):
    """A second start says the program is loaded and ends; the first keeps working."""
    letter = sample_letter()
    app = Velkaro(s, settings_file()).start()
    s.launch(app.exe)
    box = app.wait_message("Программа уже загружена.", screenshot="already-loaded")
    second = box["pid"]
    check(second != app.pid, "the first instance showed the message")
    app.answer_message(box)
    s.wait_snapshot(lambda sh: second not in sh.pids_of("velkaro.exe"), what="the second instance ended")
    check(app.running(), "the first instance ended too")

    target = EditTarget(s, text=letter).start()
    s.double_click(*target.word_point(1))
    app.wait_password_window()
    app.enter_password()
    check_opens(s, target.wait_text(sealed, what="the sealed block"), letter)


@scenario(needs_cli=True)
def velkaro_tray_request(s):
    """A left click on the tray icon opens the password window in the middle of the screen; OK
    with the mouse over the editor seals its letter. A missing settings file is reported once
    and written with the defaults."""
    letter = sample_letter()
    app = Velkaro(s).start()  # no settings file: the message, then the defaults
    target = EditTarget(s, text=letter, size=(400, 160), pos=(40, 40)).start()

    s.click_tray_icon(CAPTION)
    window = app.wait_password_window()
    wl, wt, wr, wb = window["rect"]
    check(abs((wl + wr) // 2 - DESKTOP_SIZE[0] // 2) <= 1 and abs((wt + wb) // 2 - DESKTOP_SIZE[1] // 2) <= 1,
          f"the password window {window['rect']} is not in the middle of the screen")
    s.type_ascii(PASSWORD)
    s.move(*target.point(0.5, 0.5))
    s.key("Return")
    check_opens(s, target.wait_text(sealed, what="the letter under the cursor sealed"), letter)
    app.wait_hidden()


__all__ = ["E2EFailure"]
