// The run's vocabulary: state codes, outcome (exit) codes, dialog control, bitmap and timer ids.
#pragma once

#include <cstdint>

namespace ostrel {

// m_nState
enum UpdateState : uint8_t {
  kStateIdle = 0,
  kStateStarted = 20,
  kStateEngineWorking = 21,
  kStateFinished = 23,
  kStateFailed = 24,
  kStateWorkingSeen = 25,
  kStateLibraryMissing = 26,
};

// g_nExitCode, the process exit code
enum Outcome : int32_t {
  kOutcomeSuccess = 0,
  kOutcomeNoCamera = 1,
  kOutcomeNoFirmware = 2,
  kOutcomeLoadFailed = 3,
  kOutcomeUnknownVendor = 4,
  kOutcomeUpdateFailed = 5,
  kOutcomeSilentTimeout = 6,
};

// Dialog template 102
enum ControlId : int {
  kCtlClose = 2,
  kCtlProgressText = 1000,
  kCtlVid = 1001,
  kCtlPid = 1002,
  kCtlImageVersion = 1003,
  kCtlProgress = 1004,
  kCtlStatus = 1005,
  kCtlStatePicture = 1006,
  kCtlCameraVersion = 1007,
};

enum BitmapId : int {
  kBmpWorking = 130,
  kBmpSuccess = 131,
  kBmpStarted = 132,
  kBmpNothingDone = 134,
  kBmpFailure = 135,
};

constexpr int kDialogTemplate = 102;
constexpr int kIconResource = 128;
constexpr int kUpdateTimerId = 2457;
constexpr uint32_t kUpdateTimerPeriodMs = 500;

}  // namespace ostrel
