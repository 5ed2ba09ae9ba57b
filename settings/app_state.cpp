#include "app_state.h"

#include <cstring>

#include "info_note.h"
#include "path_routines.h"
#include "secure_wipe.h"
#include "string_ids.h"

namespace velkaro {
namespace {

constexpr uint32_t kPlatformNt = 2;  // VER_PLATFORM_WIN32_NT
constexpr char kSenderTag[] = "@%";

}  // namespace

AppState::AppState(AppPlatform& platform) : config(platform), platform_(platform) {
    coverText.clear();
    infoNoteText.clear();
    infoNoteHtml.clear();
    layoutLangId = 0;
    stegoRequested = 0;
    blockOffset = 0;
    trayRequest = 0;
    clipboardViewerPositionSaved = 0;
    clipboardState = 0;
    htmlAccessAvailable = 0;
    sleepMode = 0;
    keyPresent = 0;

    CheckWindowsVersion();

    programCaption = platform_.LoadAnsiString(IDS_PROGRAM_NAME, kPathCapacity);
    programCaption += platform_.LoadAnsiString(IDS_PROGRAM_VERSION_SUFFIX, kPathCapacity);

    SecureWipe(&currentKey, sizeof currentKey);
    SecureWipe(senderTag, sizeof senderTag);
    std::memcpy(senderTag, kSenderTag, sizeof kSenderTag - 1);

    BuildProgramPaths();

    infoNoteText.clear();
    infoNoteHtml.clear();
    if (config.addInfoNote) LoadInfoNote();
}

AppState::~AppState() {
    SecureWipe(&currentKey, sizeof currentKey);
    SecureWipe(resultBuffer, sizeof resultBuffer);
    SecureWipe(textBuffer, sizeof textBuffer);
    SecureWipe(scratchBuffer, sizeof scratchBuffer);
}

void AppState::CheckWindowsVersion() {
    isOtherWindows = 0;
    isNt4OrOlder = 0;
    isWindowsXp = 0;
    isWindows2000 = 0;
    WindowsVersionInfo version = platform_.WindowsVersion();
    bool nt = version.ok && version.platformId == kPlatformNt;
    if (nt && version.major <= 4) {
        isNt4OrOlder = 1;
    } else if (nt && version.major == 5 && version.minor == 0) {
        isWindows2000 = 1;
    } else if (nt && version.major == 5 && version.minor == 1) {
        isWindowsXp = 1;
    } else {
        isOtherWindows = 1;
    }
}

void AppState::BuildProgramPaths() {
    const std::string modulePath = platform_.ModulePath();
    HelpPathOf(modulePath.c_str(), helpPath);
    ProgramDirOf(modulePath.c_str(), programDir);
}

void AppState::LoadInfoNote() {
    // The note is read through the start of the scratch buffer, which no transform uses
    // while the settings are being loaded or edited.
    static_assert(sizeof scratchBuffer >= kInfoNoteReadLimit, "the note fits the scratch buffer");
    char(&readBuffer)[kInfoNoteReadLimit] =
        *reinterpret_cast<char(*)[kInfoNoteReadLimit]>(scratchBuffer);
    std::string path = std::string(programDir) + kInfoNoteFileName;
    size_t got = ReadInfoNoteFile(path, readBuffer);
    std::string text = InfoNoteTextFromBytes(readBuffer, got, DefaultInfoNoteText(programCaption));
    infoNoteText = InfoNotePlainForm(text);
    infoNoteHtml = InfoNoteHtmlForm(text);
    SecureWipe(readBuffer, sizeof readBuffer);
}

}  // namespace velkaro
