// printf-style formatting of UTF-16 text for the log and the window texts. Supports the
// conversions the updater's texts use: %% %d %u %x %X %c %s, with the '0' and '-' flags and
// a width. %s takes UTF-16 text; a conversion whose argument is missing or of the wrong
// kind is written as it stands.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ostrel {

class FormatArg {
 public:
  FormatArg(int value) : integer_(value), isText_(false) {}                  // NOLINT
  FormatArg(unsigned value) : integer_(value), isText_(false) {}             // NOLINT
  FormatArg(long value) : integer_(value), isText_(false) {}                 // NOLINT
  FormatArg(unsigned long value) : integer_(static_cast<int64_t>(value)), isText_(false) {}  // NOLINT
  FormatArg(const char16_t* value) : text_(value), isText_(true) {}          // NOLINT
  FormatArg(const std::u16string& value) : text_(value), isText_(true) {}    // NOLINT
  FormatArg(std::u16string_view value) : text_(value), isText_(true) {}      // NOLINT

  bool IsText() const { return isText_; }
  int64_t Integer() const { return integer_; }
  std::u16string_view Text() const { return text_; }

 private:
  int64_t integer_ = 0;
  std::u16string_view text_;
  bool isText_;
};

std::u16string FormatWide(std::u16string_view format, std::initializer_list<FormatArg> args = {});

}  // namespace ostrel
