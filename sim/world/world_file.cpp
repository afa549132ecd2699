#include "world/world_file.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "ini/profile_file.h"
#include "text/utf16.h"
#include "world/module_path.h"

namespace sim {
namespace {

std::string LowerAscii(std::string value) {
  for (char& c : value) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return value;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// A value without its trailing comment.
std::u16string WithoutComment(const std::u16string& value) {
  return value.substr(0, value.find_first_of(u" \t;"));
}

bool KnownModel(const std::string& model) {
  return model == "zel" || model == "sonix" || model == "sunplus" || model == "plain";
}

}  // namespace

const WorldFile& WorldFile::Current() {
  static const WorldFile world(FolderOf(HostModulePath()) + PathSeparator() + u"simcam.ini");
  return world;
}

WorldFile::WorldFile(std::u16string iniPath) : iniPath_(std::move(iniPath)) {
  const std::string scale = text::Utf16ToUtf8(WithoutComment(GetString(u"World", u"TimeScale")));
  if (!scale.empty()) {
    char* end = nullptr;
    const double parsed = std::strtod(scale.c_str(), &end);
    if (parsed > 0 && *end == '\0') {
      timeScale_ = parsed;
    } else {
      ReportBadValue(u"World", u"TimeScale");
    }
  }
  for (int n = 1;; ++n) {
    const std::u16string section = u"Camera" + text::Utf8ToUtf16(std::to_string(n));
    const std::u16string model = GetString(section, u"Model");
    if (model.empty()) break;
    CameraConfig camera;
    camera.section = section;
    camera.model = LowerAscii(text::Utf16ToUtf8(model));
    if (!KnownModel(camera.model)) ReportBadValue(section, u"Model");
    camera.devicePath = text::Utf16ToCp1252(GetString(section, u"DevicePath"));
    camera.instanceId = GetString(section, u"InstanceId");
    camera.hardwareId = GetString(section, u"HardwareId");
    camera.flashPath = ResolvePath(GetString(section, u"Flash"));
    cameras_.push_back(std::move(camera));
  }
}

std::u16string WorldFile::GetString(const std::u16string& section, const std::u16string& key,
                                    const std::u16string& defaultValue) const {
  return profile::GetString(iniPath_, section, key, defaultValue);
}

std::optional<int64_t> WorldFile::GetNumber(const std::u16string& section,
                                            const std::u16string& key) const {
  const std::u16string value = GetString(section, key);
  if (value.empty()) return std::nullopt;
  const std::optional<int64_t> number = ParseWorldNumber(value);
  if (!number) ReportBadValue(section, key);
  return number;
}

std::optional<std::vector<uint8_t>> WorldFile::GetBytes(const std::u16string& section,
                                                        const std::u16string& key) const {
  const std::u16string value = GetString(section, key);
  if (value.empty()) return std::nullopt;
  std::optional<std::vector<uint8_t>> bytes = ParseHexBytes(WithoutComment(value));
  if (!bytes) ReportBadValue(section, key);
  return bytes;
}

void WorldFile::ReportBadValue(const std::u16string& section, const std::u16string& key) const {
  static std::mutex mutex;
  static std::set<std::u16string> reported;
  std::lock_guard<std::mutex> hold(mutex);
  if (!reported.insert(iniPath_ + u"\n" + section + u"\n" + key).second) return;
  std::fprintf(stderr, "%s: [%s] %s=%s is not a value this key takes: the default applies\n",
               text::Utf16ToUtf8(iniPath_).c_str(), text::Utf16ToUtf8(section).c_str(),
               text::Utf16ToUtf8(key).c_str(), text::Utf16ToUtf8(GetString(section, key)).c_str());
}

std::u16string WorldFile::ResolvePath(const std::u16string& relative) const {
  if (relative.empty()) return {};
  const bool absolute = relative[0] == u'/' || relative[0] == u'\\' ||
                        (relative.size() > 1 && relative[1] == u':');
  return absolute ? relative : FolderOf(iniPath_) + PathSeparator() + relative;
}

std::optional<int64_t> ParseWorldNumber(const std::u16string& textValue) {
  std::u16string value = WithoutComment(textValue);
  bool negative = false;
  if (!value.empty() && value[0] == u'-') {
    negative = true;
    value.erase(0, 1);
  }
  int base = 10;
  if (value.size() > 2 && value[0] == u'0' && (value[1] == u'x' || value[1] == u'X')) {
    base = 16;
    value.erase(0, 2);
  }
  if (value.empty() || value.size() > 16) return std::nullopt;
  int64_t result = 0;
  for (char16_t c : value) {
    const int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    result = result * base + digit;
  }
  return negative ? -result : result;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::u16string& textValue) {
  if (textValue.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(textValue.size() / 2);
  for (size_t i = 0; i < textValue.size(); i += 2) {
    const int high = HexDigit(textValue[i]);
    const int low = HexDigit(textValue[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

}  // namespace sim
