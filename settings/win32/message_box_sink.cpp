#include "message_box_sink.h"

#include "resource_strings.h"

namespace velkaro {

MessageBoxSink::MessageBoxSink(HINSTANCE resourceModule, const std::string& caption)
    : resourceModule_(resourceModule), caption_(caption) {}

std::string MessageBoxSink::MessageText(uint32_t id) const {
    return ui::LoadAnsiString(resourceModule_, UINT(id), kTextCapacity);
}

int MessageBoxSink::ShowMessage(uint32_t id, uint32_t style) {
    const std::string text = MessageText(id);
    return MessageBoxA(owner_, text.c_str(), caption_.c_str(), UINT(style));
}

}  // namespace velkaro
