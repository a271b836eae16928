// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo: the desktop client, the main reading window.

#include <cstdio>
#include <cstring>

#include "app/narrelo_app.h"
#include "foundation/cmd_parameters.h"

namespace {

const char *const Usage =
    "Usage: narrelo [--login] [DemoServer=URL]\n"
    "Opens the reading window: type or paste a Turkish text, choose a reading style and press\n"
    "Oku (Read). The text is read by the speech service.\n"
    "\n"
    "  --login          log in to the speech service first (a dialog asks for the account)\n"
    "  DemoServer=URL   the service's SOAP endpoint for this run (also -DemoServer= or\n"
    "                   /DemoServer=); otherwise the \"DemoServer\" setting, the server list,\n"
    "                   or the built-in local address, where the local speech service\n"
    "                   (narrelo-demoserver) is started when nothing answers\n"
    "  --help           this text\n"
    "  --version        the program's version\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/valtrosa/registry.sqlite   the settings (narrelo-reg shows them)\n"
    "  $XDG_STATE_HOME/narrelo/text.txt            the text box's text, kept across runs\n"
    "  $XDG_STATE_HOME/narrelo/demoserver.log      the local speech service's messages, when\n"
    "                                              this program started it\n"
    "\n"
    "Keys: Ctrl+Enter or F5 reads or stops; Escape stops a reading (and closes the window\n"
    "when nothing is read).\n";

}  // namespace

int main(int argc, char **argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("narrelo %s\n", NARRELO_VERSION);
        return 0;
    }
    InitCmdParameters(argc, argv);
    return RunNarrelo(argc, argv);
}
