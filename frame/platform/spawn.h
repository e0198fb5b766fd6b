// Starting helper programs (dialogs, the clipboard tool, the viewer): never through a shell,
// with only standard input, output and error passed on. Tests swap in a scripted runner.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct CommandResult {
  int exit_code = -1;   // -1 when the program could not be started or did not exit normally
  std::string output;   // what it wrote to standard output
};

// Runs argv[0] (looked up on PATH) with the arguments, feeds it `input` on standard input when
// given, waits for it and collects its standard output.
using CommandRunner =
    std::function<CommandResult(const std::vector<std::string>& argv, const std::string* input)>;
// Starts argv[0] and returns at once; true when it started.
using CommandLauncher = std::function<bool(const std::vector<std::string>& argv)>;

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string* input = nullptr);
bool LaunchCommand(const std::vector<std::string>& argv);

// The real runner and launcher (posix_spawnp, every other descriptor closed in the child).
CommandResult SpawnAndWait(const std::vector<std::string>& argv, const std::string* input);
bool SpawnDetached(const std::vector<std::string>& argv);

// Replaces the runner and launcher (null puts the real ones back).
void SetCommandRunner(CommandRunner runner);
void SetCommandLauncher(CommandLauncher launcher);
