// The INI reader with the profile functions' rules, on any file content (ANSI, UTF-8 or
// UTF-16 with their marks): the section-name list into buffers of every small size, values
// read into short buffers, and a written value that reads back the same.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "ini/profile_file.h"
#include "scratch_dir.h"

namespace {

using fuzz::Check;

constexpr uint32_t kListChars = 1000;
constexpr uint32_t kShortBuffer = 12;
constexpr char16_t kUnwritten = u'#';

const ostrel::testing::ScratchDir& Folder() {
  static const ostrel::testing::ScratchDir folder;
  return folder;
}

// A value the round trip can expect back unchanged: letters and digits only.
std::u16string PlainValue(const std::string& bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::u16string value;
  for (const char c : bytes) value += static_cast<char16_t>(kAlphabet[static_cast<uint8_t>(c) % 62]);
  return value.empty() ? u"0" : value;
}

// A list cut to a short buffer is the whole list's start, ending in a NUL inside the buffer.
void CheckShortLists(const std::u16string& path, std::u16string_view whole) {
  for (uint32_t size = 0; size <= kShortBuffer; ++size) {
    char16_t buffer[kShortBuffer + 1];
    std::fill(std::begin(buffer), std::end(buffer), kUnwritten);
    const uint32_t count = profile::GetSectionNames(path, buffer, size);
    Check(buffer[size] == kUnwritten, "nothing written past the list's buffer");
    if (size == 0) {
      Check(count == 0, "an empty buffer gets nothing");
      continue;
    }
    Check(count < size && buffer[count] == u'\0', "the list fits its buffer with a NUL");
    Check(std::u16string_view(buffer, count) == whole.substr(0, count),
          "a short list is the start of the whole one");
  }
}

// Reads key into buffers of 0 to 3 characters.
void CheckShortValues(const std::u16string& path, std::u16string_view section,
                      std::u16string_view key) {
  for (uint32_t size = 0; size <= 3; ++size) {
    char16_t buffer[4] = {kUnwritten, kUnwritten, kUnwritten, kUnwritten};
    const uint32_t copied = profile::GetString(path, section, key, u" default ", buffer, size);
    Check(buffer[size] == kUnwritten, "nothing written past a value's buffer");
    Check(size == 0 ? copied == 0 : copied < size && buffer[copied] == u'\0',
          "a value fits its buffer with a NUL");
  }
}

std::vector<std::u16string_view> SectionNames(std::u16string_view list) {
  std::vector<std::u16string_view> names;
  size_t start = 0;
  while (start < list.size()) {
    const size_t end = std::min(list.find(u'\0', start), list.size());
    names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::u16string value = PlainValue(input.Bytes(input.Byte() % 24));
  Folder().WriteFile(u"profile.ini", input.Rest());
  const std::u16string path = Folder().File(u"profile.ini");

  char16_t list[kListChars];
  const uint32_t count = profile::GetSectionNames(path, list, kListChars);
  Check(count < kListChars && list[count] == u'\0', "the whole list ends in a NUL");
  CheckShortLists(path, std::u16string_view(list, count));

  std::vector<std::u16string_view> sections = SectionNames(std::u16string_view(list, count));
  if (sections.size() > 4) sections.resize(4);
  for (const std::u16string_view section : sections) {
    CheckShortValues(path, section, u"BIN");
    CheckShortValues(path, section, u"CHIP");
  }
  const std::u16string_view written = sections.empty() ? u"S" : sections.back();
  if (profile::WriteString(path, written, u"FuzzKey", value)) {
    Check(profile::GetString(path, written, u"fuzzkey", u"missing") == value,
          "a written value reads back");
  }
  return 0;
}
