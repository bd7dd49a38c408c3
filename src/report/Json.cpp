#include "report/Json.h"

#include <cstdio>

namespace report {

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.empty) out_ += level.linePerItem ? "," : ", ";
  // appended, not concatenated: GCC 12 for Windows misreads the concatenation as an
  // overlapping copy (-Wrestrict)
  if (level.linePerItem) out_.append(1, '\n').append(2 * levels_.size(), ' ');
  level.empty = false;
}

void JsonWriter::Close(char bracket) {
  if (levels_.empty()) return;
  const Level level = levels_.back();
  levels_.pop_back();
  if (level.linePerItem && !level.empty) out_.append(1, '\n').append(2 * levels_.size(), ' ');
  out_ += bracket;
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  levels_.push_back({});
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::BeginArray(bool linePerItem) {
  BeforeValue();
  out_ += '[';
  levels_.push_back({linePerItem, true});
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  out_ += JsonString(name) + ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& utf8) {
  BeforeValue();
  out_ += JsonString(utf8);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t n) {
  BeforeValue();
  out_ += std::to_string(n);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool b) {
  BeforeValue();
  out_ += b ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

}  // namespace report
