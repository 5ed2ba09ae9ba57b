#pragma once
// MessageBoxSink: how the tray program shows the messages of its portable code: the text of
// a string id in a message box, owned by the main window once it exists, under the
// program's caption.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "message_sink.h"

namespace velkaro {

class MessageBoxSink : public MessageSink {
public:
    // Texts are loaded through a buffer of this many bytes, so a longer one is cut to 59
    // characters.
    static constexpr size_t kTextCapacity = 60;

    // `caption` is AppState::programCaption, read at every call (start-up appends the
    // version to it after this object may have been made); it outlives this object.
    MessageBoxSink(HINSTANCE resourceModule, const std::string& caption);

    // The owner of the boxes: null (no owner) until the main window has installed the hooks.
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }

    // MessageBoxA(owner, MessageText(id), caption, style); returns the box's answer.
    int ShowMessage(uint32_t id, uint32_t style) override;

    // The text of string `id` as the box shows it: through a kTextCapacity-byte buffer, in
    // the ANSI code page; empty when there is no such string.
    std::string MessageText(uint32_t id) const;

private:
    HINSTANCE resourceModule_;
    const std::string& caption_;
    HWND owner_ = nullptr;
};

}  // namespace velkaro
