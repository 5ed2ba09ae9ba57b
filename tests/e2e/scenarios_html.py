"""End-to-end scenarios of velkaro.exe on a browser control: html_target.exe plays the mail
program (a window of class "Internet Explorer_Server" whose COM document the tray program reads
and writes across the process boundary), velkaro.exe and velhook.dll run as installed, and the
gestures come from xdotool. Registered with @scenario like those of scenarios.py.
"""

from contextlib import contextmanager
from pathlib import Path

from html_target import HtmlTarget
from velkaro_app import BLOCK_MARKER, CAPTION, CHOOSER_CAPTION, CLOSING_MARKER, IDC_PASSWORD, IDCANCEL, Velkaro
from velkaro_e2e import Snapshot, check, scenario

DATA = Path(__file__).resolve().parent / "data"

PASSWORD = "html-e2e-42"


def sample_letter():
    """The sample letter as text (data/letter.utf8.txt, CR LF line ends)."""
    return (DATA / "letter.utf8.txt").read_bytes().decode("utf-8")


def not_html_box(app, shot):
    """The message that a letter cannot carry a hidden message, or the password window."""
    box = app.message_box(shot)
    return (box and "Формат сообщения не HTML" in box[1]) or app.password_window(shot)


@contextmanager
def holding(s, key):
    """Holds `key` down inside the block. The tray program reads the modifier's state when it
    takes the request, some time after the click, so the key stays down until the request has
    shown its effect; it is released whatever happens (the display outlives the scenario)."""
    s.xdotool("keydown", key)
    try:
        yield
    finally:
        s.xdotool("keyup", key)


@scenario(needs_cli=True)
def html_compose(s):
    """A letter in a mail program's compose window (design mode, plain text body) is sealed in
    place by a double click and a password, and opened again by a second double click with the
    kept key; every COM object of the page is released."""
    letter = sample_letter()
    app = Velkaro(s).start()  # the default settings, written after the missing-file message
    target = HtmlTarget(s, kind="compose", text=letter).start()
    page = target.page()
    check(page["inner_text"] == letter, "the body does not hold the letter")
    s.window_screenshot("target-before", target.window())

    s.step("a double click on the body brings up the password window over the target")
    s.double_click(*target.point(0.5, 0.5))
    app.wait_password_window(over=target.client())
    s.screenshot("password-window")
    state = target.state()
    check(target.counter("lbuttondblclk", state) == 0, f"the double click reached the control: {state['counters']}")
    check(target.page(state)["puts"] == [], "the body was written before the password was given")

    s.step("the password and Return seal the body in place")
    s.type_ascii(PASSWORD)
    s.key("Return")
    page = target.wait_page(lambda p: p["puts"] and "click" in p["window_events"],
                            what="the sealed body written and the click posted")
    s.wait_no_window(cls="#32770", title=CAPTION)
    check(len(page["puts"]) == 1 and page["puts"][0]["kind"] == "innerText",
          f"a plain-text body is not written as its text: {[p['kind'] for p in page['puts']]}")
    sealed = page["inner_text"]
    check(sealed.startswith(BLOCK_MARKER) and sealed.endswith(CLOSING_MARKER),
          f"the body does not hold a block with its closing marker: {sealed[:80]!r}...{sealed[-20:]!r}")
    check(page["bg_colours"] == ["cornsilk"], f"the background colours written: {page['bg_colours']}")
    check(page["window_events"] == ["click"], f"the window got {page['window_events']}")
    opened = s.cli_open(PASSWORD, sealed.encode("cp1251"))
    check(opened == letter.encode("cp1251"), f"velkaro-cli opens the body to {opened[:80]!r}")
    target.wait_released()
    s.window_screenshot("target-sealed", target.window())

    s.step("a second double click opens the body with the kept key, without the password window")
    s.double_click(*target.point(0.5, 0.5))
    # Nothing is typed: a password window would hold the request up until this wait failed.
    page = target.wait_page(lambda p: len(p["puts"]) >= 2, what="the opened body written")
    check(page["puts"][1]["kind"] == "innerText", f"the letter came back as {page['puts'][1]['kind']}")
    check(page["inner_text"] == letter, f"the body holds {page['inner_text'][:80]!r}, not the letter")
    check(page["bg_colours"] == ["cornsilk", "white"], f"the background colours written: {page['bg_colours']}")
    check(page["window_events"] == ["click"], f"opening posted {page['window_events'][1:]}")
    page = target.wait_released()
    check(page["documents_obtained"] == 4, f"{page['documents_obtained']} documents handed out for two requests")
    check(target.counter("lbuttondblclk") == 0, "a double click reached the control")
    s.window_screenshot("target-opened", target.window())


@scenario(needs_cli=True)
def html_hidden(s):
    """With Ctrl held during the double click, an HTML letter in a compose window is sealed into
    the hidden form: the cover text (the own template ">", the chooser answering Cancel), then
    "<!--", the block with its closing marker, "-->"; no background colour. An ordinary double
    click opens it again. A hidden message asked for on a plain-text letter is refused with
    "Формат сообщения не HTML" and changes nothing."""
    html = "<FONT face=Arial size=2>Встречаемся в пятницу у Ёлки — «в семь».</FONT><BR>Анна"
    app = Velkaro(s).start()  # the default settings, written after the missing-file message
    plain = HtmlTarget(s, name="plain", kind="compose", text="Простой текст без оформления",
                       size=(400, 120), pos=(560, 420)).start()
    target = HtmlTarget(s, kind="compose", html=html, size=(460, 300), pos=(40, 40)).start()
    check("</FONT>" in target.page()["inner_html"], "the HTML letter lost its markup")
    s.screenshot("targets-before")

    s.step("Ctrl + double click on the plain-text letter: the hidden form is refused")
    with holding(s, "ctrl"):
        s.double_click(*plain.point(0.5, 0.5))
        s.wait_snapshot(lambda shot: not_html_box(app, shot), what="the message that the letter is not HTML")
    check(not app.password_window(s.snapshot()), "the password window came instead of the message")
    app.answer_message(app.wait_message("Формат сообщения не HTML", screenshot="message-box"))
    page = plain.wait_released()
    check(page["puts"] == [] and page["bg_colours"] == [] and page["window_events"] == []
          and page["documents_obtained"] == 1, f"the plain-text letter was changed: {plain.describe()}")

    s.step("Ctrl + double click on the HTML letter, then the password: the hidden form")
    with holding(s, "ctrl"):
        s.double_click(*target.point(0.5, 0.5))
        app.wait_password_window(over=target.client())
    s.screenshot("password-window")
    s.type_ascii(PASSWORD)
    s.key("Return")
    # The defaults offer the template list: Cancel in the chooser keeps the own template.
    chooser = app.wait_dialog(CHOOSER_CAPTION, screenshot="chooser")
    check(target.page()["puts"] == [], "the letter was written before the chooser was answered")
    app.click_control(chooser, IDCANCEL)
    page = target.wait_page(lambda p: p["puts"] and "setfocus" in p["window_events"],
                            what="the hidden form written, the click and the focus posted")
    s.wait_no_window(cls="#32770", title=CAPTION)
    check([p["kind"] for p in page["puts"]] == ["innerHTML"], f"the hidden form was written as {page['puts']}")
    hidden = page["inner_html"]
    prefix = ">" + "<!--" + BLOCK_MARKER
    suffix = CLOSING_MARKER + "-->"
    check(hidden.startswith(prefix) and hidden.endswith(suffix) and hidden.count("-->") == 1,
          f"the body is not the hidden form: {hidden[:60]!r}...{hidden[-30:]!r}")
    check(page["inner_text"] == ">", f"the mail shows {page['inner_text']!r}, not the cover text")
    check(page["bg_colours"] == [], f"a hidden message got a background: {page['bg_colours']}")
    check(page["window_events"] == ["click", "setfocus"], f"the window got {page['window_events']}")
    block = hidden[len(">" + "<!--"):-len("-->")]
    opened = s.cli_open(PASSWORD, block.encode("cp1251"))
    check(opened == html.encode("cp1251"), f"velkaro-cli opens the hidden block to {opened[:80]!r}")
    target.wait_released()
    s.screenshot("hidden-form")

    s.step("an ordinary double click opens the hidden message with the kept key")
    s.double_click(*target.point(0.5, 0.5))
    page = target.wait_page(lambda p: len(p["puts"]) >= 2, what="the opened letter written")
    check(page["puts"][1]["kind"] == "innerHTML", f"the HTML letter came back as {page['puts'][1]['kind']}")
    check(page["inner_html"] == html, f"the body holds {page['inner_html'][:80]!r}, not the letter")
    check(page["bg_colours"] == ["white"], f"the background colours written: {page['bg_colours']}")
    check(page["window_events"] == ["click", "setfocus"], f"opening posted {page['window_events'][2:]}")
    page = target.wait_released()
    check(page["documents_obtained"] == 4, f"{page['documents_obtained']} documents handed out for two requests")
    check(target.counter("lbuttondblclk") == 0 and plain.counter("lbuttondblclk") == 0,
          "a double click reached a control")
    s.window_screenshot("target-opened", target.window())


@scenario(needs_cli=True)
def html_received(s):
    """A web-mail TEXTAREA is sealed as text and keeps its page's colour; a received HTML mail
    (read-only, "</FONT>" in its body) holding a block that velkaro-cli sealed under another
    password asks for it, refuses a wrong one with "Неправильный пароль" and opens with the right
    one, as text (the sender sealed plain text) on a white background."""
    letter = sample_letter()
    other_password = "received-77"
    block = s.cli_seal(other_password, letter.encode("cp1251")).decode("cp1251")
    # As a mail program shows a received letter: line breaks as <BR>, inside the sender's font.
    received = "<FONT face=Arial size=2>" + block.replace("\r\n", "<BR>") + "</FONT>"
    app = Velkaro(s).start()  # the default settings, written after the missing-file message
    note = "Короткое письмо: встречаемся завтра в 10:00."
    webmail = HtmlTarget(s, name="webmail", kind="webmail", text=note, size=(420, 160), pos=(560, 420)).start()
    view = HtmlTarget(s, name="view", kind="view", html=received, size=(460, 300), pos=(40, 40)).start()
    check(BLOCK_MARKER in view.page()["inner_text"], "the received mail does not show its block")
    s.screenshot("targets-before")

    s.step("the web-mail text is sealed as text; a web page keeps its colour")
    s.double_click(*webmail.point(0.5, 0.5))
    app.wait_password_window(over=webmail.client())
    s.type_ascii(PASSWORD)
    s.key("Return")
    page = webmail.wait_page(lambda p: p["puts"] and "click" in p["window_events"],
                             what="the sealed text written and the click posted")
    s.wait_no_window(cls="#32770", title=CAPTION)
    check([p["kind"] for p in page["puts"]] == ["innerText"], f"the TEXTAREA was written as {page['puts']}")
    check(page["inner_text"].startswith(BLOCK_MARKER) and page["inner_text"].endswith(CLOSING_MARKER),
          f"the TEXTAREA holds {page['inner_text'][:60]!r}")
    check(page["bg_colours"] == [], f"the web page got the background {page['bg_colours']}")
    check(s.cli_open(PASSWORD, page["inner_text"].encode("cp1251")) == note.encode("cp1251"),
          "the sealed TEXTAREA does not open to its text")
    webmail.wait_released()

    s.step("the received mail's block is not sealed under the kept key: the password is asked for")
    s.double_click(*view.point(0.5, 0.5))
    app.wait_password_window(over=view.client())
    check(view.page()["puts"] == [], "the received mail was written before its password was given")
    s.type_ascii("wrong-password")
    s.key("Return")
    app.answer_message(app.wait_message("Неправильный пароль", screenshot="message-box"))
    check(view.page()["puts"] == [], "a wrong password changed the received mail")

    s.step("the right password opens the letter as text on a white background")
    window = app.wait_password_window(over=view.client())
    check(Snapshot.control(window, IDC_PASSWORD)["text_length"] == 0, "the wrong password is still in the field")
    s.type_ascii(other_password)
    s.key("Return")
    page = view.wait_page(lambda p: p["puts"], what="the opened letter written")
    s.wait_no_window(cls="#32770", title=CAPTION)
    check([p["kind"] for p in page["puts"]] == ["innerText"],
          f"a letter sealed as plain text came back as {[p['kind'] for p in page['puts']]}")
    check(page["inner_text"] == letter, f"the mail shows {page['inner_text'][:80]!r}, not the letter")
    check(page["bg_colours"] == ["white"], f"the background colours written: {page['bg_colours']}")
    check(page["window_events"] == [], f"opening posted {page['window_events']}")
    view.wait_released()
    check(len(webmail.page()["puts"]) == 1, "the web-mail page was written again")
    s.screenshot("targets-after")

