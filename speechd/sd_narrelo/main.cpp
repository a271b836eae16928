// SPDX-License-Identifier: GPL-3.0-or-later
// sd_narrelo: the speech-dispatcher output module. speech-dispatcher starts it as
// `sd_narrelo <configuration file>` and speaks its module protocol on standard input and
// output; standard error is the module's log.
#include <csignal>
#include <string>

#include "speechd/output_module.h"

int main(int argc, char **argv) {
    // A server that has gone is seen as a failed write, never as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    const TModuleConfig config = argc > 1 ? ReadModuleConfig(argv[1]) : TModuleConfig{};
    TOutputModule module(0, 1, config);
    return module.Run();
}
