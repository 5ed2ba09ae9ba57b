#include "config.h"

#include <cstdio>

#include "file_replace.h"
#include "message_sink.h"
#include "path_routines.h"
#include "settings_archive.h"
#include "string_ids.h"

namespace velkaro {
namespace {

constexpr uint32_t kFirstDefaultTemplateId = 32820;
constexpr uint32_t kDefaultTemplateCount = 10;
constexpr size_t kMessageCapacity = 256;  // the framework's own messages are not cut

// Reads the whole file. Answers false when it cannot be opened (*opened false) or a read
// fails (*opened true).
bool ReadWholeFile(const std::string& path, std::string* bytes, bool* opened) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    *opened = file != nullptr;
    if (file == nullptr) return false;
    char chunk[512];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->append(chunk, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// A line the record can keep: not empty and short enough for the 80-byte buffer it passes.
bool IsStorableLine(const std::string& line) {
    return !line.empty() && line.size() <= CConfig::kMaxTemplateLength;
}

}  // namespace

CConfig::CConfig(AppPlatform& platform) : platform_(platform) {
    char path[kPathCapacity];
    CopyBounded(path, platform_.ModulePath().c_str());
    ReplaceExtension(path, "ini");
    pathName_ = path;
    OpenSettingsFile(pathName_);
}

CConfig::~CConfig() {
    templateList.clear();
    ownTemplate.clear();
}

int CConfig::OpenSettingsFile(const std::string& path) {
    std::string bytes;
    bool opened = false;
    bool read = ReadWholeFile(path, &bytes, &opened);
    if (!opened) {
        ShowFileMessage(IDS_SETTINGS_MISSING, kMissingFileTextCapacity, kStyleInformation);
        SetDefaults();
        return 0;
    }
    if (!read || !LoadSettingsBytes(bytes)) {
        ShowFileMessage(IDS_UNEXPECTED_FILE_FORMAT, kMessageCapacity, kLoadErrorStyle);
        SetDefaults();
        return 0;
    }
    return 1;
}

bool CConfig::LoadSettingsBytes(const std::string& bytes) {
    // An empty file is a valid document with nothing in it: the record stays as it is.
    if (bytes.empty()) return true;
    SettingsArchive archive =
        SettingsArchive::ForReading(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return SerializeSettings(archive);
}

void CConfig::SetDefaults() {
    autoStart = 0;
    eraseKeysWhenIdle = 0;
    desktopLink = 0;
    keepPassword = 1;
    unloadWhenIdle = 0;
    idleMinutes = 0;
    addInfoNote = 0;
    colourBackground = 1;
    offerTemplateList = 1;
    stegoModifierKey = 17;  // VK_CONTROL
    ownTemplate = ">";
    templateCount = uint8_t(kDefaultTemplateCount);
    templateList.clear();
    for (uint32_t i = 0; i < kDefaultTemplateCount; ++i) {
        templateList.push_back(
            platform_.LoadAnsiString(kFirstDefaultTemplateId + i, kTemplateTextCapacity));
    }
    SaveSettingsFile(PathName());
}

bool CConfig::SaveSettingsFile(const std::string& path) {
    SettingsArchive archive = SettingsArchive::ForWriting();
    SerializeSettings(archive);
    const std::string& bytes = archive.Bytes();
    if (!ReplaceFileContent(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                            nullptr)) {
        ShowFileMessage(IDS_SETTINGS_SAVE_FAILED, kMessageCapacity, kStyleStop);
        return false;
    }
    return true;
}

bool CConfig::SerializeSettings(SettingsArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteU32(uint32_t(autoStart));
        archive.WriteU32(uint32_t(eraseKeysWhenIdle));
        archive.WriteU32(uint32_t(desktopLink));
        archive.WriteU32(uint32_t(keepPassword));
        archive.WriteU32(uint32_t(unloadWhenIdle));
        archive.WriteU16(idleMinutes);
        archive.WriteU32(uint32_t(addInfoNote));
        archive.WriteU32(uint32_t(colourBackground));
        archive.WriteU32(uint32_t(offerTemplateList));
        archive.WriteU16(stegoModifierKey);
        archive.WriteLine(ownTemplate);
        // The count byte must match the lines that follow it: a count above the list's
        // length would otherwise walk past its end.
        size_t count = templateCount < templateList.size() ? templateCount : templateList.size();
        archive.WriteU8(uint8_t(count));
        auto entry = templateList.begin();
        for (size_t i = 0; i < count; ++i, ++entry) archive.WriteLine(*entry);
        return true;
    }

    uint32_t wide[8] = {};
    bool ok = archive.ReadU32(&wide[0]) && archive.ReadU32(&wide[1]) && archive.ReadU32(&wide[2]) &&
              archive.ReadU32(&wide[3]) && archive.ReadU32(&wide[4]) && archive.ReadU16(&idleMinutes) &&
              archive.ReadU32(&wide[5]) && archive.ReadU32(&wide[6]) && archive.ReadU32(&wide[7]) &&
              archive.ReadU16(&stegoModifierKey);
    if (!ok) return false;
    autoStart = int32_t(wide[0]);
    eraseKeysWhenIdle = int32_t(wide[1]);
    desktopLink = int32_t(wide[2]);
    keepPassword = int32_t(wide[3]);
    unloadWhenIdle = int32_t(wide[4]);
    addInfoNote = int32_t(wide[5]);
    colourBackground = int32_t(wide[6]);
    offerTemplateList = int32_t(wide[7]);

    ownTemplate = archive.ReadLine();
    if (!IsStorableLine(ownTemplate)) ownTemplate = ">";

    uint8_t storedCount = 0;
    if (!archive.ReadU8(&storedCount)) return false;
    templateList.clear();
    if (storedCount >= 1 && storedCount <= kMaxStoredTemplateCount) {
        // The first empty or overlong line ends the list; the lines after it are dropped.
        for (unsigned i = 0; i < storedCount; ++i) {
            std::string line = archive.ReadLine();
            if (!IsStorableLine(line)) break;
            templateList.push_back(line);
        }
    }
    templateCount = uint8_t(templateList.size());
    return true;
}

std::string CConfig::MessageCaption() {
    return platform_.LoadAnsiString(IDS_PROGRAM_NAME, kPathCapacity) +
           platform_.LoadAnsiString(IDS_PROGRAM_VERSION_SUFFIX, kPathCapacity);
}

void CConfig::ShowFileMessage(uint32_t id, size_t capacity, uint32_t style) {
    platform_.ShowOwnerlessMessage(platform_.LoadAnsiString(id, capacity), MessageCaption(), style);
}

}  // namespace velkaro
