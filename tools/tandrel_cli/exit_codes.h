// The tool's exit codes, one per way a command ends, with the texts the help and the manual
// page show for them.
#pragma once

namespace cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 1,           // unknown command or option, malformed or missing argument
  kExitNoCamera = 2,        // no supported camera, or the one named by --device is not there
  kExitDevice = 3,          // the camera failed a request (busy, failed status, erase incomplete)
  kExitRefused = 4,         // a value out of range, refused by the tool or the library
  kExitVerifyMismatch = 5,  // flash content differs from the file (verify, update)
  kExitNotSupported = 6,    // the library or the camera does not offer it
  kExitFile = 7,            // a file could not be read or written, or is no usable image
  kExitNotNewer = 8,        // update: the image is not newer than the camera's firmware
  kExitDeclined = 9,        // a confirmation was not given
  kExitInterrupted = 130,   // Ctrl-C
};

struct ExitCodeHelp {
  ExitCode code;
  const char* word;     // the help's one-line summary
  const char* meaning;  // the manual page
};

inline constexpr ExitCodeHelp kExitCodeHelp[] = {
    {kExitOk, "ok", "done"},
    {kExitUsage, "usage", "usage: unknown command or option, missing or malformed argument"},
    {kExitNoCamera, "no camera",
     "no camera, or the one --device names is not there or does not answer"},
    {kExitDevice, "device error",
     "the camera failed a request (failed status, busy, erase not complete)"},
    {kExitRefused, "refused value",
     "value refused: out of the setting's range (checked by the tool) or ZEL_E_INVALID_ARG"},
    {kExitVerifyMismatch, "verify mismatch",
     "the flash differs from the file or image (flash verify, update)"},
    {kExitNotSupported, "not supported",
     "not supported by the camera or the library (ZEL_E_NOT_SUPPORTED, events on Linux)"},
    {kExitFile, "file error", "a file cannot be read or written, or is no ZEL image"},
    {kExitNotNewer, "image not newer",
     "update: the image is not newer than the camera's firmware (--force writes it)"},
    {kExitDeclined, "not confirmed", "not confirmed (usb-boot without --yes)"},
    {kExitInterrupted, "interrupted", "interrupted by Ctrl-C"},
};

// The exit code of a library result.
ExitCode ExitForResult(int result);

}  // namespace cli
