// The whole windowed run of the updater in the GTK window, on the display the test is given:
// the real application, dialog logic, update step, ZEL engine and supervision thread on a fake
// platform, whose Tandrel holds the download until the test has looked at the updating window.
// Each state is read back from the window's widgets; the picture is drawn and compared with
// its bitmap file pixel by pixel.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app.h"
#include "platform/linux/gtk/gtk_dialog.h"
#include "program_values.h"
#include "updater_fixture.h"

namespace ostrel {
namespace {

using gtk_dialog::GtkDialog;

// The download of the fake Tandrel: it waits, once entered, until the test releases it.
struct DownloadGate {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool released = false;
  int result = 0;
  int sleepsWhileHeld = 0;
};
DownloadGate* g_gate = nullptr;

int Succeed() { return 0; }
void NoName(char* name, unsigned char* length) {
  name[0] = '\0';
  *length = 1;
}
int NoNameRead(char* text, int, int* count) {
  text[0] = '\0';
  *count = 1;
  return 0;
}
int KeepImage(unsigned char*, int, const char*) { return 0; }
int ReadErased(int, unsigned char* buffer, int length) {
  std::fill_n(buffer, length, 0xFF);
  return 0;
}
int BindDevice(void*) { return 0; }
int HeldDownload(int, int, const unsigned char*, int) {
  std::unique_lock<std::mutex> lock(g_gate->mutex);
  g_gate->entered = true;
  g_gate->changed.notify_all();
  g_gate->changed.wait(lock, [] { return g_gate->released; });
  return g_gate->result;
}

// The sleeps follow the engine: none ends before the download starts (fake time would run
// the supervision into its time limit), one while it is held, so that the window shows the
// download's progress, then none until it is released; after that each takes a moment, so
// that the end of the run waits for the engine thread in real time.
void PaceSleeps() {
  std::unique_lock<std::mutex> lock(g_gate->mutex);
  g_gate->changed.wait(lock, [] { return g_gate->entered; });
  if (++g_gate->sleepsWhileHeld < 2) return;
  g_gate->changed.wait(lock, [] { return g_gate->released; });
  lock.unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void Release(int result) {
  std::lock_guard<std::mutex> lock(g_gate->mutex);
  g_gate->result = result;
  g_gate->released = true;
  g_gate->changed.notify_all();
}

// Runs the dialog in the GTK window; script plays the user on the window's thread.
class WindowPlatform : public testing::FakePlatform {
 public:
  using FakePlatform::FakePlatform;
  bool RunDialog(DialogHandler& handler) override {
    GtkDialog dialog(handler);
    dialog.Open();
    script(dialog);
    return true;
  }
  std::function<void(GtkDialog&)> script;
};

// Lets the main loop handle what is pending, for a while: redraws come from the frame clock.
void Settle() {
  for (int step = 0; step < 20; ++step) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Iterates the main loop until the condition holds; false if it never does.
bool PumpUntil(const std::function<bool()>& condition) {
  for (int step = 0; step < 3000; ++step) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string Text(GtkDialog& dialog, int controlId) {
  return gtk_label_get_text(GTK_LABEL(dialog.Control(controlId)));
}

bool CloseEnabled(GtkDialog& dialog) { return gtk_widget_get_sensitive(dialog.Control(kCtlClose)); }

int Position(GtkDialog& dialog) {
  const double fraction =
      gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(dialog.Control(kCtlProgress)));
  return static_cast<int>(fraction * 100 + 0.5);
}

std::string BitmapFile(int bitmapId) {
  const std::string folder = OSTREL_RESOURCE_FOLDER "/";
  switch (bitmapId) {
    case kBmpWorking:
      return folder + "working.bmp";
    case kBmpSuccess:
      return folder + "success.bmp";
    case kBmpNothingDone:
      return folder + "nothing.bmp";
    case kBmpFailure:
      return folder + "failure.bmp";
    default:
      return {};
  }
}

// The picture control, drawn now, against the bitmap file tiled from its top-left corner:
// the first pixel that differs, or "" when all match.
std::string PictureDifference(GtkDialog& dialog, int bitmapId) {
  GtkWidget* picture = dialog.Control(kCtlStatePicture);
  const int width = gtk_widget_get_allocated_width(picture);
  const int height = gtk_widget_get_allocated_height(picture);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(picture, cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  GdkPixbuf* bitmap = gdk_pixbuf_new_from_file(BitmapFile(bitmapId).c_str(), nullptr);
  std::string difference =
      bitmap == nullptr ? "no bitmap file for " + std::to_string(bitmapId) : "";
  for (int y = 0; y < height && difference.empty(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
    const int by = y % gdk_pixbuf_get_height(bitmap);
    for (int x = 0; x < width && difference.empty(); ++x) {
      const int bx = x % gdk_pixbuf_get_width(bitmap);
      const guchar* p = gdk_pixbuf_read_pixels(bitmap) + by * gdk_pixbuf_get_rowstride(bitmap) +
                        bx * gdk_pixbuf_get_n_channels(bitmap);
      const uint32_t expected = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      if ((row[x] & 0xFFFFFF) != expected) {
        difference = "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
      }
    }
  }
  if (bitmap != nullptr) g_object_unref(bitmap);
  cairo_surface_destroy(surface);
  return difference;
}

void Screenshot(const char* name) {
  const char* folder = std::getenv("OSTREL_SCREENSHOTS");
  if (folder == nullptr || name == nullptr) return;
  Settle();
  const std::string command = std::string("import -window root '") + folder + "/" + name + ".png'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

struct WindowedRun {
  const char* name;
  uint16_t cameraRelease;  // 0: no camera
  bool downloads;          // the update reaches the (held) download
  int downloadResult;
  const char* status;
  int bitmap;
  const char* percent;
  int position;
  int exitCode;
  const char* updatingShot;
  const char* endShot;
};

class WindowedRunTest : public testing::UpdaterTest,
                        public ::testing::WithParamInterface<WindowedRun> {
 protected:
  static void SetUpTestSuite() {
    gtk_disable_setlocale();
    displayOpened = gtk_init_check(nullptr, nullptr);
  }
  static bool displayOpened;
  WindowPlatform window{dir};
  DownloadGate gate;
};
bool WindowedRunTest::displayOpened = false;

TEST_P(WindowedRunTest, ShowsEachStateAndRefusesCloseWhileUpdating) {
  if (!displayOpened) GTEST_SKIP() << "no display";
  const WindowedRun& run = GetParam();
  g_gate = &gate;
  if (run.cameraRelease != 0) {
    const auto camera = testing::UsbCamera(0x0408, 0x2040, run.cameraRelease, "2e3f1c7e");
    window.videoDevicePaths.push_back(camera.devicePath);
    window.setupDevices->push_back(camera.setupEntry);
  }
  WritePidIni({"[PID_2040]", "CHIP=4", "BIN=zel.bin"});
  WriteBinFile(u"zel.bin", testing::ZelImage("0107"));
  window.libraries[u"Tandrel.dll"] = {
      {"pfn_RvcLib_Initialize", reinterpret_cast<void*>(&Succeed)},
      {"pfn_RvcLib_UnInitialize", reinterpret_cast<void*>(&Succeed)},
      {"pfn_EEPROM_DownLoad2", reinterpret_cast<void*>(&HeldDownload)},
      {"pfn_UVC_EEPROMErase", reinterpret_cast<void*>(&Succeed)},
      {"pfn_UVC_SetManufactureStringToFW", reinterpret_cast<void*>(&KeepImage)},
      {"pfn_GetManufacturer", reinterpret_cast<void*>(&NoName)},
      {"pfn_UVC_ResetIC", reinterpret_cast<void*>(&Succeed)},
      {"ZelSetDeviceHandle", reinterpret_cast<void*>(&BindDevice)},
      {"ZelGetiManufacturer", reinterpret_cast<void*>(&NoNameRead)},
      {"ZelFlashRead", reinterpret_cast<void*>(&ReadErased)},
  };
  window.onSleep = [&] {
    if (run.downloads) PaceSleeps();
  };
  const std::string vid = run.cameraRelease != 0 ? "0408" : "";
  const std::string from =
      run.cameraRelease == 0x0105 ? "0105 ->" : (run.cameraRelease ? "0107 ->" : "");

  window.script = [&](GtkDialog& dialog) {
    if (run.downloads) {
      ASSERT_TRUE(PumpUntil([&] { return Position(dialog) == 60; })) << "no download seen";
      EXPECT_EQ(Text(dialog, kCtlStatus), "Don't turn off power!");
      EXPECT_EQ(Text(dialog, kCtlProgressText).rfind("60% ", 0), 0u)
          << Text(dialog, kCtlProgressText);
      EXPECT_FALSE(CloseEnabled(dialog));
      EXPECT_EQ(PictureDifference(dialog, kBmpWorking), "");
      Screenshot(run.updatingShot);
      // Closing the window, and the Close button even if it could be pressed: both refused.
      gtk_window_close(GTK_WINDOW(dialog.Window()));
      gtk_button_clicked(GTK_BUTTON(dialog.Control(kCtlClose)));
      Settle();
      EXPECT_TRUE(dialog.IsOpen()) << "closed while updating";
      EXPECT_TRUE(gtk_widget_get_visible(dialog.Window()));
      Release(run.downloadResult);
    }
    ASSERT_TRUE(PumpUntil([&] {
      return CloseEnabled(dialog) && Text(dialog, kCtlStatus) == run.status;
    })) << "status stays \""
        << Text(dialog, kCtlStatus) << "\"";
    Settle();
    EXPECT_EQ(Text(dialog, kCtlVid), vid);
    EXPECT_EQ(Text(dialog, kCtlPid), run.cameraRelease != 0 ? "2040" : "");
    EXPECT_EQ(Text(dialog, kCtlCameraVersion), from);
    EXPECT_EQ(Text(dialog, kCtlImageVersion), run.cameraRelease != 0 ? "0107" : "");
    EXPECT_EQ(Text(dialog, kCtlProgressText), run.percent);
    EXPECT_EQ(Position(dialog), run.position);
    EXPECT_EQ(PictureDifference(dialog, run.bitmap), "");
    Screenshot(run.endShot);
    gtk_button_clicked(GTK_BUTTON(dialog.Control(kCtlClose)));
    EXPECT_FALSE(dialog.IsOpen()) << "Close refused at rest";
  };
  EXPECT_EQ(CVarnelCameraApp(window).Run(u""), run.exitCode);
  if (run.downloads && !gate.released) Release(0);  // a failed script leaves no thread waiting
  window.JoinThreads();
  g_gate = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    States, WindowedRunTest,
    ::testing::Values(WindowedRun{"NoCamera", 0, false, 0, "No camera!", kBmpNothingDone, "0%", 0,
                                  1, nullptr, nullptr},
                      WindowedRun{"UpToDate", 0x0107, false, 0, "FW is up-to-date!",
                                  kBmpNothingDone, "0%", 0, 0, nullptr, "up-to-date"},
                      WindowedRun{"Finished", 0x0105, true, 0, "Update finish!", kBmpSuccess,
                                  "100%", 100, 0, "updating", "finished"},
                      WindowedRun{"Failed", 0x0105, true, 7, "Please re-open me!", kBmpFailure,
                                  "100%", 100, 5, nullptr, "failed"}),
    [](const ::testing::TestParamInfo<WindowedRun>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ostrel
