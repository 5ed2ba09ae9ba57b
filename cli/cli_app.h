#pragma once
// RunCli: velkaro-cli from its command line to its exit status. Reads IN, the note file and
// the password, runs the command, and writes OUT completely or not at all.

namespace velkaro {

int RunCli(int argc, const char* const* argv);

}  // namespace velkaro
