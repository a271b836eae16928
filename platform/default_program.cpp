// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/default_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>
#include <vector>

extern char **environ;

int OpenWithDefaultProgram(const std::string &utf8Target) {
    std::string program = "xdg-open";
    std::string target = utf8Target;
    char *argv[] = {program.data(), target.data(), nullptr};
    pid_t child = 0;
    const int rc = posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (rc != 0) return rc;
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return 0;
}
