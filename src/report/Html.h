// HTML text. Every text and attribute value handed in is escaped here (& < > " '), so
// that nothing a drawing holds can become markup; tag and attribute names are the
// program's own.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace report {

// A UTF-8 string with & < > " ' as character references and the control characters
// markup has no form for left out: fit for HTML and for SVG, text and attribute values.
std::string HtmlEscape(const std::string& utf8);

// Builds one HTML page, element by element.
class HtmlWriter {
 public:
  using Attributes = std::vector<std::pair<const char*, std::string>>;

  // Starts the page with its doctype.
  HtmlWriter();
  void Open(const char* tag, const Attributes& attributes = {});
  void Close(const char* tag);
  // An element without content (meta, img, br).
  void Empty(const char* tag, const Attributes& attributes = {});
  // Open, text, close.
  void Element(const char* tag, const Attributes& attributes, const std::string& text);
  void Text(const std::string& utf8);
  // A style sheet of the program's own.
  void Style(const char* css);
  const std::string& Page() const { return out_; }

 private:
  void Tag(const char* tag, const Attributes& attributes);

  std::string out_;
};

// Every byte of UTF-8 as %XX but ASCII letters, digits, "-._~" and "/".
std::string PercentEncoded(const std::string& utf8);
// A file URL for a full native path: "/a/b.png" (POSIX), "C:\a\b.png" or
// "\\server\share\b.png" (Windows).
std::string FileUrl(const std::string& nativePath);
// The URL a page in `folder` (a full native path) uses for the file at `target`: a
// relative one when both lie on one drive below a common folder that is not the root and
// at most maxUp ".." lead there from the folder, else a file URL.
std::string UrlFrom(const std::string& folder, const std::string& target, std::size_t maxUp = 3);

}  // namespace report
