#include "support/clirunner.h"

#include <cstdio>

#include <sys/wait.h>

namespace quivra {

std::filesystem::path builtCliPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" /
           "cli" / "quivra-cli";
}

CliOutcome runCli(const std::filesystem::path &cli, const std::string &arguments)
{
    const std::string command = cli.string() + " " + arguments + " 2>/dev/null";
    CliOutcome r;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        r.out.append(buffer, n);
    const int status = ::pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace quivra
