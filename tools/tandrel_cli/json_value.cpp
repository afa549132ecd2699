#include "json_value.h"

#include <cstdio>

namespace cli {
namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

Value& Value::Set(const std::string& key, Value value) {
  if (!std::holds_alternative<Object>(data_)) data_ = Object{};
  std::get<Object>(data_).emplace_back(key, std::move(value));
  return *this;
}

std::string Value::Scalar() const {
  if (std::holds_alternative<std::nullptr_t>(data_)) return "null";
  if (const bool* flag = std::get_if<bool>(&data_)) return *flag ? "true" : "false";
  if (const int64_t* number = std::get_if<int64_t>(&data_)) return std::to_string(*number);
  return std::get<std::string>(data_);
}

std::string Value::Json() const {
  if (const std::string* text = std::get_if<std::string>(&data_)) return Quoted(*text);
  if (const Array* items = std::get_if<Array>(&data_)) {
    std::string out = "[";
    for (size_t i = 0; i < items->size(); ++i) out += (i ? "," : "") + (*items)[i].Json();
    return out + "]";
  }
  if (const Object* fields = std::get_if<Object>(&data_)) {
    std::string out = "{";
    for (size_t i = 0; i < fields->size(); ++i) {
      out += (i ? "," : "") + Quoted((*fields)[i].first) + ":" + (*fields)[i].second.Json();
    }
    return out + "}";
  }
  return Scalar();
}

std::string Value::Text(const std::string& indent) const {
  const Object* fields = std::get_if<Object>(&data_);
  if (fields == nullptr) return indent + Scalar() + "\n";
  std::string out;
  for (const auto& [key, value] : *fields) {
    if (const Array* items = std::get_if<Array>(&value.data_)) {
      const bool scalars = items->empty() || !std::holds_alternative<Object>((*items)[0].data_);
      if (scalars) {
        out += indent + key + ":";
        for (const Value& item : *items) out += " " + item.Scalar();
        out += "\n";
      } else {
        for (size_t i = 0; i < items->size(); ++i) {
          out += indent + key + " " + std::to_string(i) + ":\n" + (*items)[i].Text(indent + "  ");
        }
      }
    } else if (std::holds_alternative<Object>(value.data_)) {
      out += indent + key + ":\n" + value.Text(indent + "  ");
    } else {
      out += indent + key + ": " + value.Scalar() + "\n";
    }
  }
  return out;
}

std::string Hex(uint32_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", width, static_cast<unsigned>(value));
  return text;
}

}  // namespace cli
