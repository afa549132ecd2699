#include "ini/profile_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "fs/file_io.h"
#include "text/utf16.h"

namespace profile {
namespace {

enum class Encoding { Ansi, Utf8Bom, Utf16LeBom };

struct Document {
  Encoding encoding = Encoding::Ansi;
  std::vector<std::u16string> lines;  // without their line ends
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<Document> Load(const std::u16string& path) {
  const auto bytes = fs::ReadWholeFile(path, kMaxFileBytes);
  if (!bytes) return std::nullopt;
  Document doc;
  std::u16string content;
  if (bytes->size() >= 2 && static_cast<uint8_t>((*bytes)[0]) == 0xFF &&
      static_cast<uint8_t>((*bytes)[1]) == 0xFE) {
    doc.encoding = Encoding::Utf16LeBom;
    content = text::LeBytesToUtf16(std::string_view(*bytes).substr(2));
  } else if (bytes->size() >= 3 && bytes->compare(0, 3, "\xEF\xBB\xBF") == 0) {
    doc.encoding = Encoding::Utf8Bom;
    content = text::Utf8ToUtf16(std::string_view(*bytes).substr(3));
  } else {
    content = text::Cp1252ToUtf16(*bytes);
  }
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find(u'\n', start);
    if (end == std::u16string::npos) end = content.size();
    std::u16string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    doc.lines.push_back(std::move(line));
    start = end + 1;
  }
  return doc;
}

bool Save(const std::u16string& path, const Document& doc) {
  std::u16string content;
  for (const auto& line : doc.lines) {
    content += line;
    content += u"\r\n";
  }
  std::string bytes;
  switch (doc.encoding) {
    case Encoding::Utf16LeBom:
      bytes = "\xFF\xFE" + text::Utf16ToLeBytes(content);
      break;
    case Encoding::Utf8Bom:
      bytes = "\xEF\xBB\xBF" + text::Utf16ToUtf8(content);
      break;
    case Encoding::Ansi:
      bytes = text::Utf16ToCp1252(content);
      break;
  }
  return fs::WriteWholeFile(path, bytes);
}

// The section name of a header line, or nothing for any other line.
std::optional<std::u16string_view> SectionName(std::u16string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != u'[') return std::nullopt;
  line.remove_prefix(1);
  const size_t close = line.find(u']');
  return Trim(close == std::u16string_view::npos ? line : line.substr(0, close));
}

struct KeyLine {
  std::u16string_view key;
  std::u16string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos) return std::nullopt;
  return KeyLine{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

// Index of the section's header line, or lines.size() when absent.
size_t FindSection(const Document& doc, std::u16string_view section) {
  const auto wanted = Trim(section);
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    const auto name = SectionName(doc.lines[i]);
    if (name && text::EqualsIgnoreCaseAscii(*name, wanted)) return i;
  }
  return doc.lines.size();
}

std::u16string_view StripQuotes(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

std::optional<std::u16string> FindValue(const std::u16string& path, std::u16string_view section,
                                        std::u16string_view key) {
  const auto doc = Load(path);
  if (!doc) return std::nullopt;
  const auto wantedKey = Trim(key);
  for (size_t i = FindSection(*doc, section) + 1; i < doc->lines.size(); ++i) {
    if (SectionName(doc->lines[i])) break;
    const auto entry = ParseKeyLine(doc->lines[i]);
    if (entry && text::EqualsIgnoreCaseAscii(entry->key, wantedKey)) {
      return std::u16string(StripQuotes(entry->value));
    }
  }
  return std::nullopt;
}

uint32_t CopyOut(std::u16string_view value, char16_t* buffer, uint32_t size) {
  if (size == 0 || buffer == nullptr) return 0;
  const auto count = static_cast<uint32_t>(std::min<size_t>(value.size(), size - 1));
  std::copy_n(value.data(), count, buffer);
  buffer[count] = u'\0';
  return count;
}

}  // namespace

uint32_t GetSectionNames(const std::u16string& path, char16_t* buffer, uint32_t size) {
  if (size == 0 || buffer == nullptr) return 0;
  buffer[0] = u'\0';
  if (size == 1) return 0;
  const auto doc = Load(path);
  if (!doc) return 0;
  const uint32_t free = size - 1;
  uint32_t length = 0;
  for (const auto& line : doc->lines) {
    const auto name = SectionName(line);
    if (!name) continue;
    if (length + name->size() + 1 < free) {
      std::copy(name->begin(), name->end(), buffer + length);
      length += static_cast<uint32_t>(name->size());
      buffer[length++] = u'\0';
      continue;
    }
    // The first name that does not fit is cut so that the list still ends in two NULs.
    const uint32_t room = free - 1 - length;
    std::copy_n(name->begin(), std::min<size_t>(room, name->size()), buffer + length);
    buffer[size - 2] = u'\0';
    buffer[size - 1] = u'\0';
    return size - 2;
  }
  buffer[length] = u'\0';
  return length;
}

uint32_t GetString(const std::u16string& path, std::u16string_view section,
                   std::u16string_view key, std::u16string_view defaultValue,
                   char16_t* buffer, uint32_t size) {
  const auto value = FindValue(path, section, key);
  return CopyOut(value ? std::u16string_view(*value) : Trim(defaultValue), buffer, size);
}

std::u16string GetString(const std::u16string& path, std::u16string_view section,
                         std::u16string_view key, std::u16string_view defaultValue) {
  auto value = FindValue(path, section, key);
  return value ? std::move(*value) : std::u16string(Trim(defaultValue));
}

bool WriteString(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                 std::u16string_view value) {
  std::optional<Document> loaded = Load(path);
  if (!loaded && fs::Inspect(path).kind != fs::FileKind::Missing) return false;
  Document doc = std::move(loaded).value_or(Document{});
  std::u16string_view kept = value;
  while (!kept.empty() && IsBlank(kept.front())) kept.remove_prefix(1);
  const std::u16string newLine = std::u16string(Trim(key)) + u"=" + std::u16string(kept);

  const size_t header = FindSection(doc, section);
  if (header == doc.lines.size()) {
    doc.lines.push_back(u"[" + std::u16string(Trim(section)) + u"]");
    doc.lines.push_back(newLine);
    return Save(path, doc);
  }
  size_t lastEntry = header;
  for (size_t i = header + 1; i < doc.lines.size() && !SectionName(doc.lines[i]); ++i) {
    const auto entry = ParseKeyLine(doc.lines[i]);
    if (!entry) continue;
    if (text::EqualsIgnoreCaseAscii(entry->key, Trim(key))) {
      doc.lines[i] = newLine;
      return Save(path, doc);
    }
    lastEntry = i;
  }
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), newLine);
  return Save(path, doc);
}

}  // namespace profile
