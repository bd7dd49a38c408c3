// The console program's commands. Each returns the exit status.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace cli {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Check(const std::vector<platform::Argument>& args);
int Convert(const std::vector<platform::Argument>& args);
// The external-transform mode; switchText is -G, /G, -g or /g as typed.
int ExternalTransform(const std::string& switchText);
int Inspect(const std::vector<platform::Argument>& args);
int Resave(const std::vector<platform::Argument>& args);
// A picture of a drawing's paper as SVG or PNG.
int Preview(const std::vector<platform::Argument>& args);

// Writes a line to standard output / standard error (UTF-8, with a line break).
void Out(const std::string& utf8);
void Err(const std::string& utf8);
// "quorvane: " + message on standard error.
void Complain(const std::string& utf8);
// A path relative to the working folder made whole, with "." and ".." worked out.
std::string FullPath(const std::string& path);
// Why an argument cannot be taken as a path; "" when it can.
std::string PathProblem(const platform::Argument& a);
// Takes the path given after the option at args[i] (i moves onto it), made whole; false,
// with the complaint made, when none is given or it cannot be taken as a path.
bool TakePath(const std::vector<platform::Argument>& args, std::size_t& i, std::string& path);
// The same for the folder after --search, ending in a backslash; also false when it is no
// folder.
bool TakeSearchFolder(const std::vector<platform::Argument>& args, std::size_t& i, std::string& folder);

}  // namespace cli
