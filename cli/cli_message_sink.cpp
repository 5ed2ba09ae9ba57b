#include "cli_message_sink.h"

#include "string_table.h"

namespace velkaro {

int CliMessageSink::ShowMessage(uint32_t id, uint32_t) {
    Report(id);
    return 1;
}

void CliMessageSink::Report(uint32_t id, const std::vector<std::string>& args) {
    shown_.push_back(id);
    if (writer_) writer_(Format(id, args));
}

std::string CliMessageSink::Format(uint32_t id, const std::vector<std::string>& args) {
    const char* text = LookupString(id);
    if (text == nullptr) return "#" + std::to_string(id);
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            size_t index = size_t(p[1] - '1');
            if (index < args.size()) out += args[index];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace velkaro
