// A camera's non-volatile flash: its bytes, loaded from the camera's Flash file, with every
// change on that file as soon as the request that made it calls Persist. The file stays open
// while the flash lives, so that a request costs one positioned write of the bytes it changed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class FlashMemory {
 public:
  // A byte that always reads as value, whatever is programmed there.
  struct StuckByte {
    uint32_t address;
    uint8_t value;
  };

  // A missing file is an erased flash; a short one is erased past its end. An empty path
  // keeps the flash in memory only.
  FlashMemory(std::u16string path, uint32_t size, std::optional<StuckByte> stuck);
  ~FlashMemory();
  FlashMemory(FlashMemory&&) noexcept;
  FlashMemory& operator=(FlashMemory&&) = delete;

  uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
  uint8_t Read(uint32_t address) const;  // 0xFF past the end
  // NOR programming: a write can only clear bits. Nothing past the end.
  void Program(uint32_t address, uint8_t value);
  // Sets count bytes from address to 0xFF, clipped at the end.
  void Erase(uint32_t address, uint32_t count);
  // Puts every byte changed since the last call into the file and hands it to the system, so
  // that it survives whatever way the process ends.
  void Persist();

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const;
  };

  void MarkChanged(uint32_t begin, uint32_t end);

  std::u16string path_;
  std::optional<StuckByte> stuck_;
  std::vector<uint8_t> bytes_;
  // Null until the first change: the file then receives the whole content once.
  std::unique_ptr<std::FILE, FileCloser> file_;
  uint32_t changedBegin_ = 0;
  uint32_t changedEnd_ = 0;  // changedBegin_ == changedEnd_: nothing changed
};

class WorldFile;

// The camera's StuckByte, "address:value" in the world file's number notation; nothing when
// absent, or when malformed (reported).
std::optional<FlashMemory::StuckByte> StuckByteOf(const WorldFile& world,
                                                  const std::u16string& section);

}  // namespace sim
