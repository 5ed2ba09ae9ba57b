#pragma once
// Shared pieces of the command-line tool's unit tests: a password given in the test, and a
// message sink that keeps what it would have printed.

#include <cstring>
#include <string>
#include <vector>

#include "cli_message_sink.h"
#include "password_source.h"

namespace velkaro {

// A password the test names, as CP1251 bytes.
class FixedPassword : public PasswordSource {
public:
    explicit FixedPassword(std::string cp1251) : password_(std::move(cp1251)) {}
    ExitStatus Read(SecretBuffer& password, CliMessageSink&) override {
        password.Clear();
        password.Append(password_.data(), password_.size());
        password.Terminate();
        ++reads;
        return kExitSuccess;
    }
    int reads = 0;

private:
    std::string password_;
};

// A CliMessageSink whose lines stay in `lines`.
class RecordedMessages {
public:
    RecordedMessages() : sink([this](const std::string& line) { lines.push_back(line); }) {}
    std::string All() const {
        std::string all;
        for (const std::string& l : lines) all += l + "\n";
        return all;
    }
    std::vector<std::string> lines;
    CliMessageSink sink;
};

inline std::string AsString(const SecretBuffer& b) { return std::string(b.chars(), b.size()); }
inline const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace velkaro
