// JSON text. Every string handed in is escaped here, so that no caller can forget.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace report {

// A UTF-8 string as a JSON string: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& utf8);

// Builds one JSON document in the form `{"key": value, "list": [1, 2]}`; commas,
// colons and escaping are its business.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  // With linePerItem, each item of the array starts a line of its own, indented.
  JsonWriter& BeginArray(bool linePerItem = false);
  JsonWriter& EndArray();
  // The key of the next value in the open object.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& utf8);
  JsonWriter& Number(std::int64_t n);
  JsonWriter& Bool(bool b);
  JsonWriter& Null();
  // The document so far.
  const std::string& Text() const { return out_; }

 private:
  struct Level {
    bool linePerItem = false;
    bool empty = true;
  };
  // the separator before a value: none after a key, a comma between items
  void BeforeValue();
  void Close(char bracket);

  std::string out_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

}  // namespace report
