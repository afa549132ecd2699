// The simulated flash is non-volatile: a process that downloads through the library and then
// ends without any clean-up (_exit, or SIGKILL in the middle of the download) leaves every
// byte the camera programmed in the Flash file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

#include "camera/live_world.h"
#include "sim_world_fixture.h"
#include "tandrel.h"

namespace tandrel::testing {
namespace {

constexpr size_t kFlashSize = 0x20000;
constexpr size_t kImageSize = 0x2000;

std::vector<uint8_t> Image() {
  std::vector<uint8_t> image(kImageSize);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 256);
  return image;
}

// The flash a complete download leaves.
std::string Downloaded() {
  std::string flash(kFlashSize, '\xFF');
  const std::vector<uint8_t> image = Image();
  std::copy(image.begin(), image.end(), flash.begin());
  return flash;
}

uint8_t HexByte(const std::string& text, size_t at) {
  return static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16));
}

// The flash the trace's requests leave behind: the chip erase, then every data packet at the
// address set before it. Independent of the model, from the bytes the camera acknowledged.
std::string FlashFromTrace(const std::vector<std::string>& trace) {
  std::string flash(kFlashSize, '\xFF');
  uint32_t address = 0;
  for (const std::string& line : trace) {
    std::istringstream fields(line);
    std::string op, unit, selector, length, data, status;
    fields >> op >> unit >> selector >> length >> data >> status;
    if (op != "SET" || unit != "0" || selector != "3" || status != "00000000") continue;
    const uint8_t command = HexByte(data, 0);
    if (command == 0x00) {
      address = 0;
      for (int i = 3; i >= 0; --i) address = address << 8 | HexByte(data, 2 + 2 * i);
    } else if (command > 0x20 && command <= 0x20 + 26) {
      for (int i = 0; i < command - 0x20; ++i) {
        flash[address++] = static_cast<char>(HexByte(data, 2 + 2 * i));
      }
    }
  }
  return flash;
}

class FlashPersistenceTest : public SimWorldTest {
 protected:
  // Runs the download in a child process, which ends by _exit at once after it, or is killed
  // once its camera stopped answering (StallAfter).
  void DownloadInChild(const std::string& cameraKeys, bool killWhenStalled, size_t stallAfter) {
    dir_.WriteFile(u"camera1.flash", std::string(kFlashSize, '\x5A'));
    UseWorld(CameraSection(1, kZelPath, "Flash=camera1.flash\n" + cameraKeys));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const std::vector<uint8_t> image = Image();
      const bool ok = pfn_UVC_EEPROMErase() == 0 &&
                      pfn_EEPROM_DownLoad2(1, 0, image.data(), static_cast<int>(image.size())) == 0;
      _exit(ok ? 0 : 1);
    }
    int status = 0;
    if (killWhenStalled) {
      // The stalled camera has traced exactly stallAfter requests; from then on the child
      // never ends on its own.
      while (Trace().size() < stallAfter) {
        ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the child ended before the stall";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      ASSERT_EQ(kill(child, SIGKILL), 0);
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFSIGNALED(status));
    } else {
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
  }
};

TEST_F(FlashPersistenceTest, ExitWithoutCleanUpKeepsTheWholeDownload) {
  DownloadInChild("", false, 0);
  EXPECT_EQ(dir_.ReadFile(u"camera1.flash"), Downloaded());
  EXPECT_EQ(FlashFromTrace(Trace()), Downloaded());
}

TEST_F(FlashPersistenceTest, KillInTheMiddleOfADownloadKeepsEveryProgrammedByte) {
  // The erase check reads the whole flash back (about 10,100 requests); the 8 KiB write
  // takes about 700 more.
  constexpr size_t kStallAfter = 10400;
  DownloadInChild("StallAfter=" + std::to_string(kStallAfter), true, kStallAfter);
  const std::string flash = dir_.ReadFile(u"camera1.flash");
  EXPECT_EQ(flash, FlashFromTrace(Trace()));
  // The kill came in the middle: some of the image is in, not all of it.
  EXPECT_NE(flash, std::string(kFlashSize, '\xFF'));
  EXPECT_NE(flash, Downloaded());
  EXPECT_EQ(flash.compare(0, 16, Downloaded(), 0, 16), 0);
}

}  // namespace
}  // namespace tandrel::testing
