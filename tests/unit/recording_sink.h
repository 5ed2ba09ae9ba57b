#pragma once
// A MessageSink for tests: records every message shown, answers IDOK.

#include <cstdint>
#include <vector>

#include "message_sink.h"

namespace velkaro {

class RecordingSink : public MessageSink {
public:
    struct Shown {
        uint32_t id;
        uint32_t style;
    };
    int ShowMessage(uint32_t id, uint32_t style) override {
        shown.push_back({id, style});
        return 1;
    }
    std::vector<uint32_t> Ids() const {
        std::vector<uint32_t> ids;
        for (const Shown& s : shown) ids.push_back(s.id);
        return ids;
    }
    std::vector<Shown> shown;
};

}  // namespace velkaro
