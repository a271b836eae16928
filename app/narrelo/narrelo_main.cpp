// narrelo: the desktop client, the main reading window.

#include <cstdio>
#include <cstring>

#include "app/narrelo_app.h"
#include "foundation/cmd_parameters.h"

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("narrelo %s\n", NARRELO_VERSION);
        return 0;
    }
    InitCmdParameters(argc, argv);
    return RunNarrelo(argc, argv);
}
