// velkaro-cli: seals and opens messages in Velkaro's exchange format from the command line.
#include "cli_app.h"

int main(int argc, char** argv) { return velkaro::RunCli(argc, argv); }
