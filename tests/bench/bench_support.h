#pragma once
// What the benchmark programs share: a message sink that shows nothing, and a business
// letter of any length in CP1251-able Russian (it packs well, as real letters do).

#include <cstddef>
#include <cstdint>
#include <string>

#include "message_sink.h"

namespace velkaro {

class NullSink : public MessageSink {
public:
    int ShowMessage(uint32_t, uint32_t) override { return 1; }
};

inline std::string Letter(size_t n) {
    const std::string words =
        "Здравствуйте! Высылаю отчёт за квартал, цифры по продажам и план на следующий месяц. ";
    std::string s;
    while (s.size() < n) s += words;
    s.resize(n);
    return s;
}

}  // namespace velkaro
