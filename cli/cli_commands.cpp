#include "cli_commands.h"

#include <cstring>

#include "message_cipher.h"
#include "password_key.h"
#include "secure_wipe.h"
#include "string_ids.h"
#include "text_limits.h"

namespace velkaro {
namespace {

constexpr uint32_t kPlainLengthAt = 12;
constexpr uint32_t kStoredLengthAt = 16;
constexpr uint32_t kVersionAt = 44;
constexpr uint32_t kHtmlModeAt = 46;
constexpr uint32_t kHeaderBytesDecoded = 60;  // bytes 12..71
constexpr uint32_t kProbedFieldsEnd = 48;     // the fields readable without a key end here

// The sender tag of a program that has just started: "@%" and zeros (36 bytes reserved).
constexpr uint8_t kSenderTag[36] = {'@', '%'};

uint32_t Load32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

std::string CodePointName(char32_t cp) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (int shift = 20; shift >= 0; shift -= 4) {
        char d = kHex[(cp >> shift) & 0xF];
        if (digits.empty() && d == '0' && shift > 12) continue;
        digits += d;
    }
    return "U+" + digits;
}

// Exit status of an engine failure: memory, self-test and random generator failures are
// the engine's own; the rest are the message's fault.
ExitStatus EngineFailure(uint32_t id) {
    switch (id) {
        case IDS_ALLOC_FAILED:
        case IDS_INTERNAL_ERROR:
        case IDS_CIPHER_SELFTEST_FAILED:
            return kExitInternal;
        case IDS_ENTER_PASSWORD:
        case IDS_PASSWORD_TOO_SHORT:
            return kExitUsage;
        default:
            return kExitRefused;
    }
}

}  // namespace

CliCommands::CliCommands(CliMessageSink& messages, TextCodec& codec, bool lossy)
    : messages_(messages),
      codec_(codec),
      lossy_(lossy),
      text_(kTextBufferCapacity),
      result_(kTextBufferCapacity),
      scratch_(kTextBufferCapacity) {}

size_t CliCommands::OutputCapacity() { return TextCodec::ExportCapacity(kTextBufferCapacity); }

void CliCommands::ReportConversion(const ConversionFailure& f) {
    std::string line = std::to_string(f.line);
    std::string column = std::to_string(f.column);
    switch (f.kind) {
        case ConversionFailure::Kind::kInvalidInput:
            messages_.Report(IDS_CLI_INVALID_INPUT, {line, column, std::to_string(f.byteOffset), codec_.Name()});
            break;
        case ConversionFailure::Kind::kNotInCp1251:
            messages_.Report(IDS_CLI_NOT_IN_CP1251, {line, column, CodePointName(f.codePoint)});
            break;
        case ConversionFailure::Kind::kNotInCharset:
            messages_.Report(IDS_CLI_NOT_IN_CHARSET, {line, column, CodePointName(f.codePoint), codec_.Name()});
            break;
        case ConversionFailure::Kind::kTooLong:
        case ConversionFailure::Kind::kNone:
            messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
            break;
    }
}

ExitStatus CliCommands::ImportInput(const uint8_t* in, size_t n, bool lossy) {
    ConversionFailure failure;
    if (codec_.Import(in, n, lossy, text_, failure)) return kExitSuccess;
    ReportConversion(failure);
    return kExitUsage;
}

ExitStatus CliCommands::ExportOutput(const uint8_t* cp1251, size_t n, SecretBuffer& out) {
    ConversionFailure failure;
    if (codec_.Export(cp1251, n, lossy_, out, failure)) return kExitSuccess;
    ReportConversion(failure);
    return kExitUsage;
}

ExitStatus CliCommands::DeriveKeyFrom(PasswordSource& password, CipherKey& key) {
    SecretBuffer typed(PasswordSource::kPasswordCapacity);
    ExitStatus status = password.Read(typed, messages_);
    if (status != kExitSuccess) return status;
    int32_t keyPresent = 0;
    if (!DeriveKey(typed.chars(), key, keyPresent, messages_)) return EngineFailure(messages_.LastId());
    return kExitSuccess;
}

ExitStatus CliCommands::FindBlock(int32_t* offset, uint8_t header[80]) {
    const uint32_t length = uint32_t(text_.size());
    int32_t pos = 0;
    if (!FindBlockMarker(text_.chars(), &pos, length, kBlockMarker) || pos < 0 ||
        uint32_t(pos) + kBlockMarkerLength > length) {
        messages_.Report(IDS_CLI_NO_BLOCK);
        return kExitNoBlock;
    }
    // Header bytes 12..71 from the 90 characters after the marker, as the program's probe
    // decodes them. Mail software may have put so many tags and breaks there that 90
    // characters hold too few: then the rest of the text is decoded, so that a right
    // password is not called wrong for want of the header check.
    std::memset(header, 0, kSealHeaderSize);
    std::memcpy(header, kBlockMarker, kBlockMarkerLength);
    const char* armour = text_.chars() + pos + kBlockMarkerLength;
    uint32_t rest = length - uint32_t(pos) - kBlockMarkerLength;
    uint32_t n = rest < kProbeHeaderCharacters ? rest : kProbeHeaderCharacters;
    MessageCipher::Unarmour(armour, header + kBlockMarkerLength, &n);
    if (n < kHeaderBytesDecoded && rest > kProbeHeaderCharacters) {
        n = rest;
        MessageCipher::Unarmour(armour, scratch_.bytes(), &n);
        if (n > kHeaderBytesDecoded) n = kHeaderBytesDecoded;
        std::memcpy(header + kBlockMarkerLength, scratch_.bytes(), n);
        scratch_.Clear();
    }
    if (kBlockMarkerLength + n < kProbedFieldsEnd) {
        messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
        return kExitRefused;
    }
    *offset = pos;
    return kExitSuccess;
}

ExitStatus CliCommands::Seal(const uint8_t* in, size_t n, const InfoNote* note, PasswordSource& password,
                             SecretBuffer& out) {
    ExitStatus status = ImportInput(in, n, lossy_);
    if (status != kExitSuccess) return status;
    const uint32_t length = uint32_t(text_.size());
    if (length == 0) {
        messages_.Report(IDS_CLI_NOTHING_TO_SEAL);
        return kExitUsage;
    }
    if (length > kMaxPlainText) {
        messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
        return kExitUsage;
    }

    CipherKey key = {};
    status = DeriveKeyFrom(password, key);
    if (status == kExitSuccess) {
        MessageCipher cipher(messages_, key, kSenderTag, scratch_.bytes());
        cipher.htmlMode = 0;  // a plain editor
        if (!cipher.Seal(text_.chars(), result_.chars(), length)) {
            status = EngineFailure(messages_.LastId());
            if (messages_.LastId() == IDS_TEXT_DAMAGED) {
                // Seal says "damaged" when the body would exceed 46000 bytes.
                messages_.Report(IDS_CLI_BODY_TOO_LONG);
                status = kExitUsage;
            }
        }
    }
    SecureWipe(&key, sizeof key);
    text_.Clear();
    if (status != kExitSuccess) return status;

    // The text a plain editor receives: note, block, closing marker, nothing more.
    scratch_.Clear();
    std::string noteText = note ? note->PlainForm() : std::string();
    size_t blockLength = std::strlen(result_.chars());
    bool fits = scratch_.Append(noteText.data(), noteText.size()) &&
                scratch_.Append(result_.chars(), blockLength) &&
                scratch_.Append(kClosingMarker, kClosingMarkerLength);
    result_.Clear();
    if (!fits) {
        messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
        return kExitInternal;
    }
    status = ExportOutput(scratch_.bytes(), scratch_.size(), out);
    scratch_.Clear();
    return status;
}

ExitStatus CliCommands::Open(const uint8_t* in, size_t n, PasswordSource& password, SecretBuffer& out) {
    // Characters outside CP1251 cannot belong to a block (its armour is ASCII), so the text
    // around it is taken as it comes.
    ExitStatus status = ImportInput(in, n, true);
    if (status != kExitSuccess) return status;
    int32_t offset = 0;
    uint8_t header[kSealHeaderSize];
    status = FindBlock(&offset, header);
    if (status != kExitSuccess) return status;

    CipherKey key = {};
    status = DeriveKeyFrom(password, key);
    uint32_t length = uint32_t(text_.size()) - uint32_t(offset);
    if (status == kExitSuccess) {
        int32_t keyPresent = 0;
        size_t shownBefore = messages_.Count();
        if (!KeyMatchesHeader(header, key, keyPresent, messages_)) {
            if (messages_.Count() == shownBefore) {
                messages_.ShowMessage(IDS_WRONG_PASSWORD, kStyleInformation);
                status = kExitRefused;
            } else {
                status = EngineFailure(messages_.LastId());
            }
        }
    }
    if (status == kExitSuccess) {
        MessageCipher cipher(messages_, key, kSenderTag, scratch_.bytes());
        if (!cipher.Open(text_.chars() + offset, result_.chars(), &length)) {
            status = EngineFailure(messages_.LastId());
        }
    }
    SecureWipe(&key, sizeof key);
    SecureWipe(header, sizeof header);
    text_.Clear();
    scratch_.Clear();
    if (status == kExitSuccess) status = ExportOutput(result_.bytes(), length, out);
    result_.Clear();
    return status;
}

ExitStatus CliCommands::Probe(const uint8_t* in, size_t n, BlockProbe& probe) {
    ExitStatus status = ImportInput(in, n, true);
    if (status != kExitSuccess) return status;
    uint8_t header[kSealHeaderSize];
    status = FindBlock(&probe.offset, header);
    text_.Clear();
    if (status != kExitSuccess) return status;
    probe.plainLength = Load32(header + kPlainLengthAt);
    probe.storedLength = Load32(header + kStoredLengthAt);
    probe.version = Load16(header + kVersionAt);
    probe.htmlMode = Load16(header + kHtmlModeAt);
    return kExitSuccess;
}

std::string CliCommands::DescribeProbe(const BlockProbe& probe) {
    std::string out;
    out += CliMessageSink::Format(IDS_CLI_PROBE_FOUND, {std::to_string(probe.offset)}) + "\n";
    out += CliMessageSink::Format(IDS_CLI_PROBE_PLAIN_LENGTH, {std::to_string(probe.plainLength)}) + "\n";
    out += CliMessageSink::Format(IDS_CLI_PROBE_STORED_LENGTH, {std::to_string(probe.storedLength)}) + "\n";
    out += CliMessageSink::Format(probe.Compressed() ? IDS_CLI_PROBE_COMPRESSED : IDS_CLI_PROBE_NOT_COMPRESSED, {}) +
           "\n";
    out += CliMessageSink::Format(IDS_CLI_PROBE_VERSION, {std::to_string(probe.version)}) + "\n";
    out += CliMessageSink::Format(IDS_CLI_PROBE_HTML_MODE, {std::to_string(probe.htmlMode)}) + "\n";
    return out;
}

}  // namespace velkaro
