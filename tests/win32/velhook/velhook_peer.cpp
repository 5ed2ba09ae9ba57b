// A second process for the tests of the shared section: maps velhook.dll (beside it), calls
// SetPermission with its argument and exits with the result, the hooks-installed flag as this
// process sees it.

#include <cstdlib>

#include "velhook_api.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    return SetPermission(std::atoi(argv[1]));
}
