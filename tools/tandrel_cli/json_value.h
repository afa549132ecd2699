// The report of a command: one JSON object with --json, "key: value" lines otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace cli {

class Value {
 public:
  using Array = std::vector<Value>;
  using Object = std::vector<std::pair<std::string, Value>>;

  Value() : data_(nullptr) {}
  Value(bool flag) : data_(flag) {}
  Value(int64_t number) : data_(number) {}
  Value(int number) : data_(int64_t{number}) {}
  Value(uint32_t number) : data_(int64_t{number}) {}
  Value(std::string text) : data_(std::move(text)) {}
  Value(const char* text) : data_(std::string(text)) {}
  Value(Array items) : data_(std::move(items)) {}
  Value(Object fields) : data_(std::move(fields)) {}

  // Adds a field to an object.
  Value& Set(const std::string& key, Value value);

  std::string Json() const;
  // Top level: one "key: value" line per field; nested objects indented below their key.
  std::string Text(const std::string& indent = "") const;

 private:
  std::string Scalar() const;
  std::variant<std::nullptr_t, bool, int64_t, std::string, Array, Object> data_;
};

// "0x" and width hexadecimal digits, upper case.
std::string Hex(uint32_t value, int width);

}  // namespace cli
