"""The tray program on the session's desktop, for the scenarios that drive it: velkaro.exe and
velhook.dll installed into C:\\velkaro (the program keeps velkaro.ini beside itself), started,
and watched through the observer's snapshots: its hidden main window, which is also the
password window, its message boxes and its tray icon and menu.
"""

import struct

from velkaro_e2e import Snapshot, centre, check

CAPTION = "Velkaro Stego Версия 3.1"  # of the main window and of every message box
IDC_PASSWORD = 1002
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


def settings_file(keep_password=1, add_note=0, stego_key=17):
    """velkaro.ini as the program writes it: ten numeric fields, the own template, the count
    byte and the template lines."""
    numbers = struct.pack("<iiiiiHiiiH", 0, 0, 0, keep_password, 0, 0, add_note, 1, 1, stego_key)
    lines = b"".join(t.encode("cp1251") + b"\n" for t in TEMPLATES)
    return numbers + b">\n" + bytes([len(TEMPLATES)]) + lines


class Velkaro:
    """velkaro.exe installed and started on the session's desktop. `settings`: the bytes of
    velkaro.ini to start with; None starts without one (the program then says so and writes
    its defaults)."""

    def __init__(self, s, settings=None):
        self.s = s
        self.settings = settings
        self.exe = s.install(["velkaro.exe", "velhook.dll"])
        self.ini = s.installed_file("velkaro", "velkaro.ini")
        if settings is not None:
            self.ini.write_bytes(settings)
        elif self.ini.exists():
            self.ini.unlink()  # an earlier scenario's, in the same prefix

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
        self.pid = self.main_window(shot, visible=False)["pid"]
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
