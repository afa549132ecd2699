/* Binds the first ZEL camera and prints its chip id and system information record. */
#include <stdio.h>

#include "tandrel.h"

int main(void) {
  int chipId = 0;
  ZelSystemInfo info;
  int result;

  result = ZelSetDeviceHandle(NULL);
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
