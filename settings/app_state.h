#pragma once
// AppState: the process-wide state of the tray program: the settings record, the paths of
// the program's files, the informational note in its two forms, the three text buffers of
// the message transforms, the current key and the small flags through which the main
// window, the dialogs and the transforms talk to each other.
//
// Windows, bitmaps and module handles belong to the Win32 layer and are not held here; what
// the state needs of the platform it asks through AppPlatform. Portable code receives the
// AppState by reference. It is large (three text buffers): create it on the heap.

#include <cstdint>
#include <string>

#include "app_platform.h"
#include "cipher_key.h"
#include "config.h"
#include "text_limits.h"

namespace velkaro {

class AppState {
public:
    // Runs the construction steps in order: load the settings (may show message 32819 and
    // write the file), clear the flags, the version check, the caption suffix " Версия 3.1",
    // currentKey zeroed and senderTag "@%", helpPath, programDir, and the note when
    // addInfoNote is set.
    explicit AppState(AppPlatform& platform);
    // Saves nothing. Wipes the current key and the three text buffers, which may still hold
    // a key or a plain text.
    virtual ~AppState();

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // Rebuilds infoNoteText and infoNoteHtml from programDir + "msgtext.txt" (at most its
    // first 1024 bytes, read through the start of scratchBuffer), or from the default text.
    void LoadInfoNote();

    uint16_t layoutLangId = 0;
    // Exactly one of the four is set by the version check; only isWindowsXp is read.
    int32_t isOtherWindows = 0;
    int32_t isNt4OrOlder = 0;
    int32_t isWindowsXp = 0;
    int32_t isWindows2000 = 0;

    CConfig config;

    std::string coverText;
    int32_t stegoRequested = 0;
    int32_t blockOffset = 0;
    std::string infoNoteText;
    std::string infoNoteHtml;
    int32_t trayRequest = 0;
    int32_t clipboardViewerPositionSaved = 0;
    char programPath[260] = {};
    char programDir[260] = {};
    char helpPath[260] = {};
    int32_t clipboardViewerRect[4] = {};  // left, top, right, bottom
    int32_t clipboardState = 0;
    int32_t htmlAccessAvailable = 0;

    // Every buffer holds the largest text, block or composition and its terminating zero.
    char resultBuffer[kTextBufferCapacity] = {};
    char textBuffer[kTextBufferCapacity] = {};
    char scratchBuffer[kTextBufferCapacity] = {};

    int32_t sleepMode = 0;
    int32_t keyPresent = 0;
    CipherKey currentKey = {};
    uint8_t senderTag[36] = {};

    // "Velkaro Stego", with " Версия 3.1" appended by the construction: the caption of every
    // message box, of the main window and of the tray tip (ANSI).
    std::string programCaption;

private:
    // Step 4: exactly one of the four version flags.
    void CheckWindowsVersion();
    // Steps 8 and 9: helpPath and programDir from the module path.
    void BuildProgramPaths();

    AppPlatform& platform_;
};

}  // namespace velkaro
