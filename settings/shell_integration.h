#pragma once
// ShellIntegration: what accepting the settings sheet asks of the system's shell: the link to
// the program on the desktop and the start with Windows. The Win32 layer answers with the
// desktop folder and the registry; tests fake it.

namespace velkaro {

class ShellIntegration {
public:
    virtual ~ShellIntegration() = default;

    // The desktop link file is there (and can be opened for reading).
    virtual bool DesktopLinkExists() = 0;
    // Creates or replaces the link. False when it could not; no message is shown.
    virtual bool CreateDesktopLink() = 0;
    // Deletes the link. False when a link that exists could not be deleted; no message.
    virtual bool DeleteDesktopLink() = 0;
    // Registers (on) or removes (off) the start with Windows. False when the registration was
    // refused; the implementation has then shown message 13 itself.
    virtual bool SetAutoStart(bool on) = 0;
};

}  // namespace velkaro
