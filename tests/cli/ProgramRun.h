// Runs the console program of this build as a child process and captures its output.
#pragma once

#include <string>
#include <vector>

namespace clitest {

struct RunResult {
  int status = -1;
  std::string out;  // standard output, UTF-8
  std::string err;  // standard error, UTF-8
};

// The console program of this build, in the internal path form.
std::string BuiltProgram();

// Copies the program into folder (internal form, ending in a backslash; made if need be),
// so that its settings file and scratch folder lie there; returns the copy's path.
std::string InstallProgram(const std::string& folder);

// Runs program (internal form) with UTF-8 arguments in the working folder (internal form).
RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder);
// Starts every run at once and waits for them all.
std::vector<RunResult> RunTogether(const std::string& program, const std::vector<std::vector<std::string>>& runs,
                                   const std::string& workingFolder);

}  // namespace clitest
