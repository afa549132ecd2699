// A scratch program folder for end-to-end runs of the simulated ostrel as its own process,
// and the pieces those tests share: world-file camera sections and UTF-16LE log bytes.
#pragma once

#include <initializer_list>
#include <string>

#include "scratch_dir.h"

namespace ostrel::testing {

class ProgramFolder : public ScratchDir {
 public:
  // Runs a shell command in the folder; its exit code (-1 when it did not exit).
  int Shell(const std::string& command) const;
  // Runs ./ostrel there, silent with "-s", without input or output; its exit code.
  int RunOstrel(bool silent) const;
  // The update log after its byte-order mark and its banner line, both checked.
  std::string LogAfterBanner() const;
};

// File names on this platform: the program, and a library by its Windows name
// (Tandrel.dll is libtandrel.so on Linux).
std::string ProgramFile();
std::string LibraryFile(const std::string& windowsName);

// The lines as the log stores them: UTF-16LE, without a byte-order mark.
std::string Utf16Le(std::initializer_list<std::u16string> lines);
bool EndsWith(const std::string& text, const std::string& end);

// A [Camera1] section for a USB camera: vendor and product id as four lower-case hex digits,
// the release in the hardware id, then the extra key lines (each ending in CRLF).
std::string WorldCamera(const std::string& model, const std::string& vid, const std::string& pid,
                        const std::string& release, const std::string& extraKeys = "");
// The same as the number-th camera of the world, [CameraN], on a USB port of its own: the
// piece its path and instance id share is different for every number.
std::string WorldCamera(int number, const std::string& model, const std::string& vid,
                        const std::string& pid, const std::string& release,
                        const std::string& extraKeys = "");

// A ZEL image as the update burns it into a camera named manufacturer: the name as string 3 in
// its 64-byte slot of the string-descriptor area, iManufacturer pointing at it; without a name,
// only the serial-number index cleared.
std::string WithManufacturer(std::string image, const std::string& manufacturer);

}  // namespace ostrel::testing
