#pragma once

// Runs the built quivra-cli as a user would, for the tests of the command line tool: the tool
// sits beside the test programs in the build tree (tests/<program>, src/cli/quivra-cli).

#include <filesystem>
#include <string>

namespace quivra {

struct CliOutcome
{
    int exitCode = -1; // -1 when the tool did not run or did not exit normally
    std::string out;   // what it wrote to stdout
};

// Where quivra-cli is in the build tree of the running test program (it may not be built).
std::filesystem::path builtCliPath();

// Runs `cli` with `arguments` (a shell command line's tail) and keeps stdout and the exit code;
// stderr is dropped.
CliOutcome runCli(const std::filesystem::path &cli, const std::string &arguments);

} // namespace quivra
