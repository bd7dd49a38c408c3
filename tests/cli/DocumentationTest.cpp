// The help, the manual page and the READMEs name the same options, so that none of them
// falls behind when an option comes or goes.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "ProgramRun.h"
#include "TestSupport.h"

namespace clitest {
namespace {

// The "--name" words of a text; "--" inside a word ("-rw-r--r--") starts none.
std::set<std::string> Options(const std::string& text) {
  const auto wordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-'; };
  std::set<std::string> options;
  for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
    if ((at > 0 && wordChar(text[at - 1])) || at + 2 >= text.size() ||
        std::isalpha(static_cast<unsigned char>(text[at + 2])) == 0) {
      continue;
    }
    std::size_t end = at + 2;
    while (end < text.size() && wordChar(text[end])) ++end;
    options.insert(text.substr(at, end - at));
  }
  return options;
}

std::string SourceText(const std::string& relative) {
  const std::vector<unsigned char> bytes = testsupport::ReadFileBytes(testsupport::SourceFolder() + relative);
  return std::string(bytes.begin(), bytes.end());
}

// The manual page's text with its escaped hyphens ("\-") plain.
std::string ManualText() {
  std::string page = SourceText("man\\quorvane.1");
  for (std::size_t at = page.find("\\-"); at != std::string::npos; at = page.find("\\-", at)) page.erase(at, 1);
  return page;
}

// The project README's section on the console program (the rest names other programs' options).
std::string ReadmeConsoleSection() {
  const std::string readme = SourceText("README.md");
  const std::size_t from = readme.find("\n## The console program");
  if (from == std::string::npos) return "";
  return readme.substr(from, readme.find("\n## ", from + 1) - from);
}

// The names of one set that the other lacks, each after a space.
std::string Lacking(const std::set<std::string>& names, const std::set<std::string>& other) {
  std::string out;
  for (const std::string& name : names) out += other.contains(name) ? "" : " " + name;
  return out;
}

TEST(Documentation, HelpManualPageAndReadmesNameTheSameOptions) {
  testsupport::TempFolder folder;
  const RunResult help = clitest::Run(BuiltProgram(), {"--help"}, folder.Path());
  ASSERT_EQ(help.status, 0) << help.err;
  const std::set<std::string> options = Options(help.out);
  ASSERT_TRUE(options.contains("--version")) << help.out;
  ASSERT_FALSE(ReadmeConsoleSection().empty()) << "README.md has no section \"## The console program\"";
  const std::pair<const char*, std::string> documents[] = {
      {"man/quorvane.1", ManualText()},
      {"README.md, The console program", ReadmeConsoleSection()},
      {"package/README-en.txt", SourceText("package\\README-en.txt")},
      {"package/README-ja.txt", SourceText("package\\README-ja.txt")},
  };
  for (const auto& [name, text] : documents) {
    const std::set<std::string> named = Options(text);
    EXPECT_EQ(Lacking(options, named), "") << name << " does not name these";
    EXPECT_EQ(Lacking(named, options), "") << name << " names these, which --help does not";
  }
}

}  // namespace
}  // namespace clitest
