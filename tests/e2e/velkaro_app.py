"""The tray program on the session's desktop, for the scenarios that drive it: velkaro.exe and
velhook.dll installed into C:\\velkaro (the program keeps velkaro.ini beside itself), started,
and watched through the observer's snapshots: its hidden main window, which is also the
password window, its message boxes and its tray icon and menu; and the windows the tray menu
opens: the clipboard viewer with its toolbar and modal password dialog, the settings sheet and
its pages, the note editor, the cover-text chooser and the about box.
"""

import struct

from velkaro_e2e import Snapshot, centre, check

CAPTION = "Velkaro Stego Версия 3.1"  # of the main window and of every message box
IDC_PASSWORD = 1002
IDC_KEEP_PASSWORD_BOX = 1003  # the password windows' "keep the password" check box
IDOK, IDCANCEL = 1, 2
BLOCK_MARKER = "[!dgt_encry]"
CLOSING_MARKER = "[/!dgt_encry]"
OPEN_MARKER = BLOCK_MARKER.encode()
CLOSE_MARKER = CLOSING_MARKER.encode()
PASSWORD = "Tainoe-Slovo-7"
TEMPLATES = ["Привет!", "Ты где?", "Когда мы можем встретиться?", "Пожалуйста, позвони мне!",
             "Во сколько у нас встреча?", "Как у тебя дела?", "Я задержусь.", "У нас дождь!",
             "У меня для тебя есть новость", "Встретимся вечером, как договаривались."]
TRAY_MENU = ["Стереть пароль", "Очистить буфер обмена", "Просмотр буфера обмена", "Настройка", "Помощь",
             "О программе", "Закрыть меню", "Спящий режим", "Выход"]

# ---- The windows the tray menu opens: captions and the ids of their controls
# Template 102, of the password window and of the viewer's modal password dialog: password,
# keep box, layout indicator, OK, Cancel.
PASSWORD_TEMPLATE_CONTROLS = (IDC_PASSWORD, IDC_KEEP_PASSWORD_BOX, 1057, IDOK, IDCANCEL)
VIEWER_CAPTION = "Буфер обмена"
SHEET_CAPTION = "Настройка"
NOTE_EDITOR_CAPTION = "Редактировать информационное сообщение"
CHOOSER_CAPTION = "Введите текст заменяющий скрытый"
ABOUT_CAPTION = "О программе"

IDC_CLIPBOARD_TEXT = 1010  # the viewer's edit
IDC_INFO_NOTE_TEXT = 1052  # the note editor's edit
IDC_TEMPLATE_LIST = 1051   # the chooser's list box
IDC_ABOUT_VERSION = 1015   # the about box's version text
# Toolbar commands of the viewer (and, 32789, 32785, 32784, 32813, of the note editor)
ID_TB_CLEAR, ID_TB_CRYPT, ID_TB_CLEAR_KEY, ID_TB_SAVE = 32789, 32788, 32792, 32785
ID_TB_COPY, ID_TB_HELP, ID_TB_EXIT = 32793, 32784, 32813
# The viewer's toolbar left to right (None: the separator) and the tooltip of each button.
VIEWER_TOOLBAR = [(ID_TB_CLEAR, "Очистить буфер обмена"), (None, None),
                  (ID_TB_CRYPT, "Зашифровать/расшифровать"), (ID_TB_CLEAR_KEY, "Очистить кеш ключей"),
                  (ID_TB_SAVE, "Сохранить"), (ID_TB_COPY, "Копировать"), (ID_TB_HELP, "Помощь"),
                  (ID_TB_EXIT, "Выход")]
NOTE_TOOLBAR = [ID_TB_CLEAR, ID_TB_SAVE, ID_TB_HELP, ID_TB_EXIT]

# The settings sheet: its pages in tab order, and a control that tells each page is shown.
PAGE_GENERAL, PAGE_TEXT, PAGE_STEGO = "Общие настройки", "Шифрование текста", "Стегонаграфия"
SETTINGS_PAGES = [PAGE_GENERAL, PAGE_TEXT, PAGE_STEGO]
IDC_CFG_KEEP_PASSWORD, IDC_CFG_AUTOSTART, IDC_CFG_DESKTOP_LINK = 1027, 1028, 1029
IDC_CFG_COLOUR_BACKGROUND, IDC_CFG_ADD_INFO_NOTE, IDC_CFG_EDIT_NOTE = 1032, 1030, 1045
IDC_STEGO_CTRL, IDC_STEGO_INS, IDC_STEGO_SHIFT = 1036, 1037, 1038
IDC_STEGO_TEMPLATES, IDC_STEGO_OFFER_LIST, IDC_STEGO_OWN_TEMPLATE = 1039, 1040, 1050
PAGE_MARK = {PAGE_GENERAL: IDC_CFG_KEEP_PASSWORD, PAGE_TEXT: IDC_CFG_COLOUR_BACKGROUND,
             PAGE_STEGO: IDC_STEGO_OFFER_LIST}
IDC_SHEET_APPLY, IDC_SHEET_HELP = 12321, 9

SETTINGS_FIELDS = ("autoStart", "eraseKeysWhenIdle", "desktopLink", "keepPassword", "unloadWhenIdle", "idleMinutes",
                   "addInfoNote", "colourBackground", "offerTemplateList", "stegoModifierKey")
SETTINGS_NUMBERS = "<iiiiiHiiiH"  # the ten numeric fields, 36 bytes


def settings_file(keep_password=1, add_note=0, stego_key=17, offer_list=1, auto_start=0, desktop_link=0,
                  own_template=">", templates=TEMPLATES):
    """velkaro.ini as the program writes it: ten numeric fields, the own template, the count
    byte and the template lines. The defaults give the 246-byte file of the program's defaults."""
    numbers = struct.pack(SETTINGS_NUMBERS, auto_start, 0, desktop_link, keep_password, 0, 0, add_note, 1, offer_list,
                          stego_key)
    lines = b"".join(t.encode("cp1251") + b"\n" for t in templates)
    return numbers + own_template.encode("cp1251") + b"\n" + bytes([len(templates)]) + lines


def parse_settings(data):
    """The fields of a velkaro.ini (bytes) by name, with "ownTemplate" and "templates" (str)."""
    check(len(data) >= 38, f"velkaro.ini has {len(data)} bytes, too few for its fields")
    fields = dict(zip(SETTINGS_FIELDS, struct.unpack_from(SETTINGS_NUMBERS, data)))
    own, rest = data[36:].split(b"\n", 1)
    count = rest[0]
    lines = rest[1:].split(b"\n")
    check(len(lines) > count and lines[count] == b"", f"velkaro.ini does not hold {count} template lines: {rest!r}")
    fields["ownTemplate"] = own.decode("cp1251")
    fields["templates"] = [line.decode("cp1251") for line in lines[:count]]
    return fields


# ---- Reading the windows' controls from a snapshot's window record

def visible_control(window, control_id):
    """The visible control of that id (the settings pages share ids: only the shown page's
    controls are visible), or None."""
    for c in window.get("controls", []):
        if c["id"] == control_id and c["visible"]:
            return c
    return None


def control_of_class(window, cls):
    """The first visible control of that window class, or None."""
    return next((c for c in window.get("controls", []) if c["class"] == cls and c["visible"]), None)


def toolbar_buttons(window):
    """The buttons of the window's toolbar as the observer reads them (id, separator, enabled,
    rect), or [] while it has none."""
    bar = control_of_class(window, "ToolbarWindow32")
    return (bar or {}).get("buttons") or []


def toolbar_button(window, command):
    return next((b for b in toolbar_buttons(window) if b["id"] == command and not b["separator"]), None)


def drag(s, start, end):
    """Presses the left button at `start`, moves the pointer to `end` by way of the middle, and
    releases it there: a window dragged by its title bar, for instance."""
    def at(x, y):
        return [str(x + s.offset[0]), str(y + s.offset[1])]
    middle = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
    s.xdotool("mousemove", *at(*start), "mousedown", "1", "mousemove", *at(*middle), "mousemove", *at(*end),
              "mouseup", "1")


def edit_text(window, control_id):
    """The text of an edit control as CP1251 bytes (the program's text as it holds it)."""
    control = Snapshot.control(window, control_id)
    check(control is not None, f"the window {window['title']!r} has no control {control_id}")
    return control["text"].encode("cp1251")


class Velkaro:
    """velkaro.exe installed and started on the session's desktop. `settings`: the bytes of
    velkaro.ini to start with; None starts without one (the program then says so and writes
    its defaults)."""

    def __init__(self, s, settings=None):
        self.s = s
        self.settings = settings
        self.exe = s.install(["velkaro.exe", "velhook.dll"])
        self.ini = s.installed_file("velkaro", "velkaro.ini")
        self.note = s.installed_file("velkaro", "msgtext.txt")
        if settings is not None:
            self.ini.write_bytes(settings)
        elif self.ini.exists():
            self.ini.unlink()  # an earlier scenario's, in the same prefix
        if self.note.exists():
            self.note.unlink()  # the note editor's of an earlier scenario: the program starts without one

    def start(self):
        """Launches the program and waits until it runs hidden, with its icon in the tray."""
        self.s.launch(self.exe)
        if self.settings is None:
            self.answer_message(self.wait_message("Файл Velkaro.ini не найден."))
            self.s.wait_until(self.ini.exists, what="velkaro.ini written with the defaults")
            check(self.ini.read_bytes() == settings_file(), "the defaults written are not the 246-byte default file")
        self.s.wait_tray_icons(1)
        shot, _ = self.s.wait_snapshot(lambda sh: self.main_window(sh, visible=False) and not self.password_window(sh),
                                       what="the main window, hidden")
        main = self.main_window(shot, visible=False)
        self.pid, self.main_hwnd = main["pid"], main["hwnd"]
        return self

    @staticmethod
    def main_window(shot, visible=True):
        """The main window (the "#32770" holding the password field), shown or hidden."""
        for w in shot.windows(cls="#32770", title=CAPTION, visible=visible):
            controls = w.get("controls")
            if controls is not None and Snapshot.control(w, IDC_PASSWORD):
                return w
            if controls is None and not visible:  # hidden windows may come without their controls
                return w
        return None

    def password_window(self, shot):
        """The password window when it is shown (the main window, visible)."""
        return self.main_window(shot, visible=True)

    @staticmethod
    def message_box(shot):
        """A visible message box of the program: (window, its text) or None."""
        for w in shot.windows(cls="#32770", title=CAPTION):
            if Snapshot.control(w, IDC_PASSWORD):
                continue
            texts = [c.get("text", "") for c in w.get("controls", []) if c["class"] == "Static" and c.get("text")]
            return w, " ".join(texts)
        return None

    def wait_password_window(self, what="the password window with the caret in its field", over=None):
        """Waits for the password window in the foreground with the keyboard focus in its
        password field (typing goes there and never into the target); returns the window.
        `over`: a rectangle the window's centre must lie in (the target's client area)."""
        def ready(sh):
            w = self.password_window(sh)
            field = w and Snapshot.control(w, IDC_PASSWORD)
            return w if field and sh.foreground == w["hwnd"] and sh.focus and sh.focus["hwnd"] == field["hwnd"] \
                and sh.focus["password"] else None
        _, window = self.s.wait_snapshot(ready, what=what)
        if over is not None:
            x, y = (window["rect"][0] + window["rect"][2]) // 2, (window["rect"][1] + window["rect"][3]) // 2
            left, top, right, bottom = over
            check(left <= x < right and top <= y < bottom, f"the password window {window['rect']} is not over {over}")
        return window

    def wait_hidden(self):
        self.s.wait_snapshot(lambda sh: not self.password_window(sh), what="the password window hidden")

    def wait_message(self, text, screenshot=None):
        """Waits for a message box with `text` (a part of it will do); returns the box, after a
        picture of it when `screenshot` names one."""
        _, (box, shown) = self.s.wait_snapshot(
            lambda sh: (lambda m: m if m and text in m[1] else None)(self.message_box(sh)),
            what=f"a message box saying {text!r}")
        if screenshot:
            self.s.window_screenshot(screenshot, box)
        return box

    def answer_message(self, box, button=IDOK):
        """Clicks the button of that id (IDOK, IDCANCEL) in the message box and waits for the box
        to go. A click, not a key: a key pressed while the box is still taking the foreground
        would reach the window behind it."""
        control = Snapshot.control(box, button)
        check(control and control["class"] == "Button", f"the message box has no button {button}: {box}")
        self.s.click(*centre(control["rect"]))
        self.s.wait_snapshot(lambda sh: not sh.window_by_handle(box["hwnd"]), what="the message box closed")

    def enter_password(self, password=PASSWORD):
        self.s.type_ascii(password)
        self.s.key("Return")

    def running(self, shot=None):
        shot = shot or self.s.fresh_snapshot()
        return self.pid in shot.pids_of("velkaro.exe")

    def tray_menu(self):
        """Opens the tray menu with a right click on the icon; returns the menu."""
        return self.s.open_tray_menu(CAPTION)

    def choose(self, item):
        self.tray_menu()
        self.s.choose_menu_item(item)

    # -- the windows the tray menu opens

    def dialog(self, shot, title):
        """The program's visible dialog window with that caption, or None."""
        return shot.window(cls="#32770", title=title, pid=self.pid)

    def wait_dialog(self, title, ready=lambda window: True, what=None, screenshot=None):
        """Waits for the program's dialog `title` for which ready(window) holds (its controls
        filled in, for instance) and returns it, after a picture of it when `screenshot` names one."""
        def test(sh):
            w = self.dialog(sh, title)
            return w if w and ready(w) else None
        _, window = self.s.wait_snapshot(test, what=what or f"the window {title!r}")
        if screenshot:
            self.s.window_screenshot(screenshot, window)
        return window

    def current(self, window):
        """The window's record in a snapshot begun now (None when it is gone or hidden)."""
        found = self.s.fresh_snapshot().window_by_handle(window["hwnd"])
        return found if found and found["visible"] else None

    def wait_window_state(self, window, predicate, what):
        """Waits until the window's record satisfies predicate(record); returns that record."""
        def test(sh):
            w = sh.window_by_handle(window["hwnd"])
            return w if w and w["visible"] and predicate(w) else None
        _, record = self.s.wait_snapshot(test, what=what)
        return record

    def wait_closed(self, window, what=None):
        self.s.wait_snapshot(lambda sh: not (sh.window_by_handle(window["hwnd"]) or {}).get("visible"),
                             what=what or f"the window {window['title']!r} closed")

    def click_control(self, window, control_id):
        """Clicks the middle of a visible control of the window (a button, a check box)."""
        control = visible_control(window, control_id)
        check(control is not None, f"the window {window['title']!r} shows no control {control_id}")
        check(control["enabled"], f"the control {control_id} of {window['title']!r} is disabled")
        self.s.click(*centre(control["rect"]))

    def click_into(self, window, control_id):
        """Clicks a control that takes typing (an edit) and waits until its window is in the
        foreground with the focus in it, so that keys typed next reach it."""
        control = visible_control(window, control_id)
        self.click_control(window, control_id)
        self.s.wait_snapshot(lambda sh: sh.foreground == window["hwnd"] and sh.focus
                             and sh.focus["hwnd"] == control["hwnd"],
                             what=f"the focus in control {control_id} of {window['title']!r}")

    def set_check(self, window, control_id, checked):
        """Clicks a check box of the window when it is not already in that state; returns the
        window once the box shows it."""
        control = visible_control(window, control_id)
        check(control is not None and "checked" in control, f"{control_id} is not a check box of {window['title']!r}")
        if bool(control["checked"]) == checked:
            return window
        self.click_control(window, control_id)
        return self.wait_window_state(window, lambda w: bool((visible_control(w, control_id) or {}).get("checked"))
                                      == checked, f"the check box {control_id} {'checked' if checked else 'cleared'}")

    def click_toolbar(self, window, command):
        """Clicks an enabled toolbar button of the window by its command id."""
        button = toolbar_button(window, command)
        check(button is not None and button["rect"], f"the toolbar of {window['title']!r} has no button {command}")
        check(button["enabled"], f"the toolbar button {command} of {window['title']!r} is disabled")
        self.s.click(*centre(button["rect"]))

    def wait_tooltip(self, text, over):
        """Rests the pointer on `over` (a rectangle) until a tooltip reads `text`."""
        self.s.move(*centre(over))
        self.s.wait_snapshot(lambda sh: text in sh.tooltips(), what=f"the tooltip {text!r} over {over}")

    # the clipboard viewer

    def open_viewer(self, screenshot=None):
        """Opens the clipboard viewer from the tray menu; returns it once its toolbar is there."""
        self.choose("Просмотр буфера обмена")
        return self.wait_dialog(VIEWER_CAPTION, lambda w: len(toolbar_buttons(w)) == len(VIEWER_TOOLBAR)
                                and Snapshot.control(w, IDC_CLIPBOARD_TEXT), "the clipboard viewer with its toolbar",
                                screenshot)

    def password_dialog(self, shot):
        """The modal password dialog of the clipboard road: a window of template 102 that is not
        the main window."""
        for w in shot.windows(cls="#32770", pid=self.pid):
            if w["hwnd"] != self.main_hwnd and Snapshot.control(w, IDC_PASSWORD):
                return w
        return None

    def wait_password_dialog(self):
        """Waits for the modal password dialog in the foreground with the caret in its field."""
        def ready(sh):
            w = self.password_dialog(sh)
            field = w and Snapshot.control(w, IDC_PASSWORD)
            return w if field and sh.foreground == w["hwnd"] and sh.focus and sh.focus["hwnd"] == field["hwnd"] \
                and sh.focus["password"] else None
        _, window = self.s.wait_snapshot(ready, what="the password dialog with the caret in its field")
        return window

    # the settings sheet

    def open_settings(self, screenshot=None):
        """Opens the settings sheet from the tray menu; returns it showing its first page."""
        self.choose("Настройка")
        return self.wait_dialog(SHEET_CAPTION, lambda w: visible_control(w, PAGE_MARK[PAGE_GENERAL])
                                and control_of_class(w, "SysTabControl32"), "the settings sheet on its first page",
                                screenshot)

    def sheet_page(self, sheet, page, screenshot=None):
        """Shows a page of the settings sheet by a click on its tab; returns the sheet then."""
        tabs = control_of_class(sheet, "SysTabControl32")
        tab = next((t for t in tabs.get("tabs") or [] if t["text"] == page), None)
        check(tab is not None and tab["rect"], f"the sheet has no tab {page!r}: {tabs.get('tabs')}")
        if tabs.get("selected") != tab["index"]:
            self.s.click(*centre(tab["rect"]))
        sheet = self.wait_window_state(
            sheet, lambda w: control_of_class(w, "SysTabControl32").get("selected") == tab["index"]
            and visible_control(w, PAGE_MARK[page]), f"the page {page!r} shown")
        if screenshot:
            self.s.window_screenshot(screenshot, sheet)
        return sheet

    def close_sheet(self, sheet, button):
        """Presses the sheet's OK (IDOK) or Cancel (IDCANCEL) and waits for it to close."""
        control = next((c for c in sheet["controls"] if c["id"] == button and c["parent"] == sheet["hwnd"]), None)
        check(control is not None and control["visible"], f"the sheet shows no button {button}")
        self.s.click(*centre(control["rect"]))
        self.wait_closed(sheet, "the settings sheet closed")

    def requests_handled(self):
        """Returns once every request posted so far has been handled: the tray menu, asked for
        now, is the next request in the program's queue. "Закрыть меню" closes it again (under
        Wine the keyboard does not reach a menu whose owner window is hidden, so no Esc)."""
        self.choose("Закрыть меню")


def sealed(text):
    """A text that starts a block and ends with the closing marker (bytes)."""
    return OPEN_MARKER in text and text.endswith(CLOSE_MARKER)


def check_opens(s, text, letter, password=PASSWORD):
    """The block in `text` (bytes) opens to `letter` with velkaro-cli, and the password is
    nowhere in the text."""
    check(s.cli_open(password, text) == letter, "velkaro-cli does not open the block to the letter")
    check(password.encode("cp1251") not in text, "the password is in the target's text")
