// norvadex-cli: analyses a suit combination from the command line.
#include "cli/app.h"
#include "cli/cli_host.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    nvx::cli::InstallInterruptHandler();
    // A reader that went away is a write error like any other, reported as such.
    std::signal(SIGPIPE, SIG_IGN);
    nvx::cli::StartInterruptWatchdog(std::chrono::seconds(2));
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return nvx::cli::RunCli(args, {std::cin, stdout, stderr, isatty(STDERR_FILENO) == 1, stdin});
}
