// The simulated world's file, simcam.ini: its [World] settings and its [CameraN] sections.
// Read with the same rules as pid.ini. Every simulated component of a module reads it once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct CameraConfig {
  std::u16string section;     // Camera1, Camera2, ...
  std::string model;          // zel | sonix | sunplus | plain (lower case)
  std::string devicePath;     // narrow, as video devices are listed
  std::u16string instanceId;  // empty: no imaging-class entry
  std::u16string hardwareId;
  std::u16string flashPath;   // resolved against the world file's folder; empty when not set
};

class WorldFile {
 public:
  // The world beside the hosting module; an absent file is an empty world.
  static const WorldFile& Current();

  explicit WorldFile(std::u16string iniPath);

  const std::u16string& IniPath() const { return iniPath_; }
  // Factor on every sleep, timer period and clock reading; 1 when unset or not positive.
  double TimeScale() const { return timeScale_; }
  const std::vector<CameraConfig>& Cameras() const { return cameras_; }

  std::u16string GetString(const std::u16string& section, const std::u16string& key,
                           const std::u16string& defaultValue = {}) const;
  // Decimal or 0x-prefixed hexadecimal, optionally negative; nothing when absent. A malformed
  // value is reported and counts as absent.
  std::optional<int64_t> GetNumber(const std::u16string& section, const std::u16string& key) const;
  // Hexadecimal digits without separators; nothing when absent. A malformed value is reported
  // and counts as absent.
  std::optional<std::vector<uint8_t>> GetBytes(const std::u16string& section,
                                               const std::u16string& key) const;
  // Tells on standard error that the key's value is not one the key takes: a mistake in the
  // world file must not pass for the default. Once per process for each file, section and key.
  void ReportBadValue(const std::u16string& section, const std::u16string& key) const;
  // A path from the file, relative to the file's own folder; empty stays empty.
  std::u16string ResolvePath(const std::u16string& relative) const;

 private:
  std::u16string iniPath_;
  double timeScale_ = 1.0;
  std::vector<CameraConfig> cameras_;
};

// Parses a number written in the world file's notation; what follows a blank or ';' is a
// comment.
std::optional<int64_t> ParseWorldNumber(const std::u16string& textValue);
// Parses hexadecimal digits without separators; nothing on an odd count or a bad digit.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::u16string& textValue);

}  // namespace sim
