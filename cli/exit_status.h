#pragma once
// The exit statuses of velkaro-cli.

namespace velkaro {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitRefused = 1,    // wrong password or damaged block
    kExitUsage = 2,      // bad command line or unusable input (charset, length, password rules)
    kExitIoError = 3,    // a file or stream could not be read or written
    kExitNoBlock = 4,    // open / probe: the text holds no block
    kExitInternal = 5,   // the engine failed in itself: memory, self-test, random generator
};

}  // namespace velkaro
