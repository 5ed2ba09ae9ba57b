#pragma once
// CliCommands: seal, open and probe over byte strings, in process. The caller reads the input
// and writes the output (files, streams, or a test's strings); everything between, charset
// conversion, password and engine, happens here.
//
// Texts are held in three buffers of kTextBufferCapacity bytes, like the program's text,
// result and scratch buffers, and wiped when the object goes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "cipher_key.h"
#include "cli_message_sink.h"
#include "exit_status.h"
#include "info_note.h"
#include "password_source.h"
#include "secret_buffer.h"
#include "text_codec.h"

namespace velkaro {

// What the fields of a block's header say without a key.
struct BlockProbe {
    int32_t offset = 0;  // of the opening marker in the CP1251 text
    uint32_t plainLength = 0;
    uint32_t storedLength = 0;
    uint16_t version = 0;
    uint16_t htmlMode = 0;
    bool Compressed() const { return storedLength != plainLength; }
};

class CliCommands {
public:
    // Number of header bytes the probe needs decoded: bytes 12..71, as 90 armour
    // characters give them.
    static constexpr uint32_t kProbeHeaderCharacters = 90;

    // codec: charset of the input and output texts. lossy: characters that cannot be
    // converted become "?" instead of being refused.
    CliCommands(CliMessageSink& messages, TextCodec& codec, bool lossy);

    // Seals the text into out (in the codec's charset): the note's plain form when note is
    // given, the armoured block, the closing marker.
    ExitStatus Seal(const uint8_t* in, size_t n, const InfoNote* note, PasswordSource& password,
                    SecretBuffer& out);
    // Opens the first block of the text into out (in the codec's charset).
    ExitStatus Open(const uint8_t* in, size_t n, PasswordSource& password, SecretBuffer& out);
    // Finds the first block and reads its header fields into probe.
    ExitStatus Probe(const uint8_t* in, size_t n, BlockProbe& probe);
    // The probe's findings as lines of text (UTF-8), for the user.
    static std::string DescribeProbe(const BlockProbe& probe);

    // Room of the output buffer a command needs.
    static size_t OutputCapacity();

private:
    // Converts the input into text_; reports and answers the exit status on failure.
    ExitStatus ImportInput(const uint8_t* in, size_t n, bool lossy);
    // Converts n CP1251 bytes into out.
    ExitStatus ExportOutput(const uint8_t* cp1251, size_t n, SecretBuffer& out);
    void ReportConversion(const ConversionFailure& failure);
    // Finds the opening marker in text_ and decodes the header after it. kExitSuccess, or
    // the status of the failure (reported).
    ExitStatus FindBlock(int32_t* offset, uint8_t header[80]);
    // Reads the password and derives the key into key.
    ExitStatus DeriveKeyFrom(PasswordSource& password, CipherKey& key);

    CliMessageSink& messages_;
    TextCodec& codec_;
    bool lossy_;
    SecretBuffer text_;
    SecretBuffer result_;
    SecretBuffer scratch_;
};

}  // namespace velkaro
