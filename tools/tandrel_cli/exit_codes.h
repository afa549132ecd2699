// The tool's exit codes, one per way a command ends (listed in the README).
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

// The exit code of a library result.
ExitCode ExitForResult(int result);

}  // namespace cli
