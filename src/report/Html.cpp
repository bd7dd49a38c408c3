#include "report/Html.h"

#include <algorithm>
#include <cstdio>

namespace report {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// A native path taken apart: its root ("/", "C:" or "\\server\share") and its names.
struct PathParts {
  std::string root;
  std::vector<std::string> names;
};

PathParts Split(const std::string& path) {
  PathParts parts;
  // a path with a drive, a network path or one from the root of the current drive
  const bool windows = path.starts_with("\\") || (path.size() >= 2 && path[1] == ':');
  auto separator = [windows](char c) { return c == '/' || (windows && c == '\\'); };
  std::size_t i = 0;
  if (path.size() >= 2 && path[1] == ':') {
    parts.root = path.substr(0, 2);
    i = 2;
  } else if (path.starts_with("\\\\")) {
    // the server and the share are the root
    std::size_t end = 2;
    for (int n = 0; n < 2 && end < path.size(); ++n) {
      while (end < path.size() && !separator(path[end])) ++end;
      if (n == 0 && end < path.size()) ++end;
    }
    parts.root = path.substr(0, end);
    i = end;
  } else {
    parts.root.push_back('/');
  }
  std::string name;
  for (; i <= path.size(); ++i) {
    if (i == path.size() || separator(path[i])) {
      if (!name.empty() && name != ".") {
        if (name == ".." && !parts.names.empty()) {
          parts.names.pop_back();
        } else if (name != "..") {
          parts.names.push_back(name);
        }
      }
      name.clear();
    } else {
      name += path[i];
    }
  }
  return parts;
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

std::string HtmlEscape(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // markup has no form for the other control characters (an SVG would not parse)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
        out += c;
    }
  }
  return out;
}

HtmlWriter::HtmlWriter() : out_("<!DOCTYPE html>\n") {}

void HtmlWriter::Tag(const char* tag, const Attributes& attributes) {
  out_ += '<';
  out_ += tag;
  for (const auto& [name, value] : attributes) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"" + HtmlEscape(value) + '"';
  }
  out_ += '>';
}

void HtmlWriter::Open(const char* tag, const Attributes& attributes) { Tag(tag, attributes); }

void HtmlWriter::Close(const char* tag) {
  out_ += "</";
  out_ += tag;
  out_ += ">\n";
}

void HtmlWriter::Empty(const char* tag, const Attributes& attributes) { Tag(tag, attributes); }

void HtmlWriter::Element(const char* tag, const Attributes& attributes, const std::string& text) {
  Tag(tag, attributes);
  Text(text);
  Close(tag);
}

void HtmlWriter::Text(const std::string& utf8) { out_ += HtmlEscape(utf8); }

void HtmlWriter::Style(const char* css) {
  out_ += "<style>";
  out_ += css;
  out_ += "</style>\n";
}

std::string PercentEncoded(const std::string& utf8) {
  std::string out;
  for (unsigned char c : utf8) {
    if (IsUnreserved(c) || c == '/') {
      out += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

std::string FileUrl(const std::string& nativePath) {
  const PathParts parts = Split(nativePath);
  std::string url = "file://";
  if (parts.root.starts_with("\\\\")) {
    // file://server/share/...
    std::string root = "/";
    root.append(parts.root, 2);
    std::replace(root.begin(), root.end(), '\\', '/');
    const PathParts names = Split(root);
    for (std::size_t i = 0; i < names.names.size(); ++i) {
      if (i) url += '/';
      url += PercentEncoded(names.names[i]);
    }
  } else if (parts.root != "/") {
    url += '/';
    url += parts.root.front();
    url += ':';
  }
  for (const std::string& name : parts.names) {
    url += '/';
    url += PercentEncoded(name);
  }
  if (parts.names.empty()) url += "/";
  return url;
}

std::string UrlFrom(const std::string& folder, const std::string& target, std::size_t maxUp) {
  const PathParts from = Split(folder);
  const PathParts to = Split(target);
  std::size_t common = 0;
  // names compare exactly: a difference in letter case makes a file URL, which works anyway
  while (common < from.names.size() && common + 1 < to.names.size() && from.names[common] == to.names[common]) {
    ++common;
  }
  const std::size_t up = from.names.size() - common;
  if (Lower(from.root) != Lower(to.root) || common == 0 || up > maxUp) return FileUrl(target);
  std::string url;
  for (std::size_t i = 0; i < up; ++i) url += "../";
  for (std::size_t i = common; i < to.names.size(); ++i) {
    if (i > common) url += '/';
    url += PercentEncoded(to.names[i]);
  }
  return url;
}

}  // namespace report
