#pragma once
// CliMessageSink: how the command-line tool tells its user what went wrong. The engine's
// messages and the tool's own are looked up by string id in the generated string table and
// handed, as UTF-8 lines, to a writer (stderr in the conversion of the terminal's charset, or
// a test's recorder). The ids are kept so that callers can tell which failure happened.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "message_sink.h"

namespace velkaro {

class CliMessageSink : public MessageSink {
public:
    using Writer = std::function<void(const std::string& utf8Line)>;

    explicit CliMessageSink(Writer writer) : writer_(std::move(writer)) {}

    // The engine's way: the text of `id`, without arguments. Returns IDOK (1).
    int ShowMessage(uint32_t id, uint32_t style) override;
    // The text of `id` with "%1", "%2", ... replaced by args (UTF-8).
    void Report(uint32_t id, const std::vector<std::string>& args = {});

    const std::vector<uint32_t>& Shown() const { return shown_; }
    // The id of the last message, 0 when none was shown.
    uint32_t LastId() const { return shown_.empty() ? 0 : shown_.back(); }
    size_t Count() const { return shown_.size(); }

    // The text of id with its arguments filled in; "#<id>" for an id the table lacks.
    static std::string Format(uint32_t id, const std::vector<std::string>& args);

private:
    Writer writer_;
    std::vector<uint32_t> shown_;
};

}  // namespace velkaro
