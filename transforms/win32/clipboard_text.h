#pragma once
// The clipboard's text (CF_TEXT, zero-terminated ANSI), as the clipboard viewer and the tray
// menu use it. The clipboard is opened without an owner window for each call and closed
// again before the call returns.

namespace velkaro {

// Copies the clipboard's text with its terminator into `buffer` (kTextBufferCapacity bytes)
// and answers true when it holds 1 to kMaxPlainText (64000) characters. Otherwise, and when
// there is no text or another program holds the clipboard open, answers false and `buffer`
// holds an empty text: an over-long text is ignored as a whole, never cut. The text is
// measured within the size of the clipboard's memory, which need not hold a terminator.
bool ReadClipboardText(char* buffer);

// Puts a copy of the zero-terminated `text` on the clipboard as CF_TEXT, replacing what was
// there. False when memory, the clipboard or the hand-over fails; the copy is freed then.
bool WriteClipboardText(const char* text);

// Empties the clipboard. False (and nothing changed) when another program holds it open.
bool EmptyClipboardText();

// True when the clipboard offers CF_TEXT (also when the system converts it from another
// text format).
bool ClipboardHasText();

}  // namespace velkaro
