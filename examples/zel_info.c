/* Binds a ZEL camera and prints its chip id and system information record.
 * usage: zel_info [device handle]; without one, the first ZEL camera (on Linux a handle is the
 * camera's node, e.g. /dev/video0 or a /dev/v4l/by-id name). */
#include <stdio.h>

#include "tandrel.h"

int main(int argc, char** argv) {
  int chipId = 0;
  ZelSystemInfo info;
  int result;

  result = ZelSetDeviceHandle(argc > 1 ? argv[1] : NULL);
  if (result != ZEL_OK) {
    printf("binding failed: %d\n", result);
    return 1;
  }
  result = ZelMmioRead(0x06000000, &chipId);
  if (result != ZEL_OK) {
    printf("no camera: %d\n", result);
    return 1;
  }
  printf("chip id: 0x%08X\n", (unsigned)chipId);
  result = ZelGetSystemInfornation(&info);
  if (result != ZEL_OK) {
    printf("system information unavailable: %d\n", result);
    return 1;
  }
  printf("system information: %04X %04X %04X %04X %04X %04X %02X\n", info.first, info.second,
         info.third, info.fourth, info.fifth, info.sixth, info.seventh);
  ZelClearDeviceHandle();
  return 0;
}
