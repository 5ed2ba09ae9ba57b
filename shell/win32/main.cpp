// velkaro.exe: the tray program.
#include <windows.h>

#include "main_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    velkaro::CMainApp application(instance);
    return application.Run();
}
