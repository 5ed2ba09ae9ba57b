#pragma once
// TestApp: an AppState as the tray program holds it after start-up, for the tests of the
// shell integration: the caption from the program's string table (with a suffix of this test
// process, so that registry values and links of parallel runs never meet), the settings file
// in a folder of its own, and programPath in a folder the test chooses.

#include <windows.h>

#include <memory>
#include <string>

#include "app_state.h"
#include "fake_app_platform.h"
#include "path_routines.h"
#include "temp_dir.h"

namespace velkaro {

class TestApp {
public:
    explicit TestApp(const std::string& programFolder)
        : platform_(moduleFolder_.File("velkaro.exe")),
          app_(std::make_unique<AppState>(platform_)) {
        app_->programCaption += " (test " + std::to_string(GetCurrentProcessId()) + ")";
        SetProgramFolder(programFolder);
    }

    AppState& app() { return *app_; }
    const std::string& caption() const { return app_->programCaption; }

    // programPath as start-up builds it: the launch directory, a backslash, "velkaro.exe".
    void SetProgramFolder(const std::string& folder) {
        CopyBounded(app_->programPath, (folder + "\\velkaro.exe").c_str());
    }

private:
    TempDir moduleFolder_;
    FakeAppPlatform platform_;
    std::unique_ptr<AppState> app_;
};

}  // namespace velkaro
