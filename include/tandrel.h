/** @file tandrel.h
 * @brief Tandrel: the C interface to ZEL-family cameras through their two USB Video Class
 * extension units.
 *
 * Every export has C linkage and returns a signed 32-bit result:
 * 0 success, a negative ZEL_E_* code on failure, a few documented positive values.
 * Calling convention: the C default (cdecl).
 *
 * Conventions of every export:
 * - Outputs go through the caller's pointers and are written only on success, unless the
 *   export's comment says otherwise.
 * - Null pointers and out-of-range values are refused with ZEL_E_INVALID_ARG before any
 *   device traffic.
 * - A Set takes its values by value; the matching Get takes one pointer per value, in the
 *   same order. An 8- or 16-bit value travels in a full argument slot of which only the low
 *   bits are used.
 * - Every export may be called from any thread; the library serialises device traffic with
 *   one recursive lock, so an export may also be called from inside a callback.
 * - While no device is bound (see ZelSetDeviceHandle), every command export uses the first
 *   supported camera it finds, for that one call.
 *
 * Link with -ltandrel (pkg-config tandrel, or the CMake target Tandrel::tandrel); on Windows
 * with the import library libTandrel.dll.a and Tandrel.dll beside the program.
 */
#ifndef TANDREL_H
#define TANDREL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TANDREL_BUILDING)
#if defined(_WIN32)
#define TANDREL_API
#else
#define TANDREL_API __attribute__((visibility("default")))
#endif
#else
#define TANDREL_API
#endif

#ifdef __cplusplus
#define TANDREL_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define TANDREL_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/** @defgroup result_codes Result codes
 * @{ */

/** Success. */
#define ZEL_OK 0
/** The extension unit could not be opened: no camera, no control interface, no vendor
 * extension unit, or the bound device failed; also a disconnected device. */
#define ZEL_E_UNREACHABLE (-1)
/** Any other failure status of a control request; a reply without its marker; a batch the
 * library cannot build. */
#define ZEL_E_DEVICE (-2)
/** Invalid argument (null pointer, out-of-range value); also a device report of an invalid
 * parameter. */
#define ZEL_E_INVALID_ARG (-3)
/** The device stayed busy through all ten retries (about one second). */
#define ZEL_E_NOT_READY (-4)
/** The device reported "not found". */
#define ZEL_E_NOT_FOUND (-5)
/** Not supported by this library or by the device's encoder record version. */
#define ZEL_E_NOT_SUPPORTED (-6)
/** A chip erase did not complete in time. */
#define ZEL_E_ERASE_INCOMPLETE (-7)

/** @} */

/** @defgroup records Records (packed, little-endian as the camera sends them)
 * @{ */

#pragma pack(push, 1)

/** Firmware identity texts from flash: each field 5 bytes, zero-padded, not always
 * terminated; "FFFF" when the flash carries no such label. */
typedef struct ZelFirmwareVersion {
  char vendor[5];    /**< the vendor text, labelled VID in the identity block at 0x240 */
  char product[5];   /**< the product text, labelled PID */
  char revision[5];  /**< the firmware revision text, labelled REV */
} ZelFirmwareVersion;

/** Custom serial number, as kept in flash at 0x19000 and in the caller's memory. */
typedef struct ZelCustomSerialNumber {
  uint8_t valid;       /**< 1 when written by ZelSetCustomSerialNumber; ignored on write */
  uint8_t length;      /**< bytes of serial, 0 to 30 */
  uint8_t serial[30];  /**< the serial's bytes; those past length are not used */
} ZelCustomSerialNumber;

/** Live system information the firmware reports; the meaning of the fields is the
 * firmware's. Firmware whose second field is 0x0600 or more reports chip-erase progress. */
typedef struct ZelSystemInfo {
  uint16_t first;    /**< reply bytes 0-1 */
  uint16_t second;   /**< reply bytes 2-3; 0x0600 or more: chip-erase progress is reported */
  uint16_t third;    /**< reply bytes 4-5 */
  uint16_t fourth;   /**< reply bytes 6-7 */
  uint16_t fifth;    /**< reply bytes 8-9 */
  uint16_t sixth;    /**< reply bytes 10-11 */
  uint8_t seventh;   /**< reply byte 12 */
} ZelSystemInfo;

/** Device information of extension unit 1; the meaning of the fields is the firmware's. */
typedef struct NorvDeviceInfo {
  uint16_t first;   /**< reply bytes 0-1 */
  uint16_t second;  /**< reply bytes 2-3 */
  uint32_t third;   /**< reply bytes 4-7 */
  uint8_t fourth;   /**< reply byte 8 */
} NorvDeviceInfo;

/** A list of registers moved in one transfer (ZelBatchMmioRead, ZelBatchMmioWrite). */
typedef struct MmioBatch {
  uint8_t count;         /**< number of registers */
  uint8_t addressWidth;  /**< bytes per address, 1 to 4 */
  uint8_t dataWidth;     /**< bytes per value, 1 to 4 */
  int32_t flags1;        /**< low 8 bits ORed into the control byte */
  int32_t flags2;        /**< low 8 bits ORed into the control byte */
  int32_t mode;          /**< 0: one address per register; 0x80: consecutive registers from
                            one start address. Low 8 bits ORed into the control byte. */
  uint8_t* addresses;    /**< count x addressWidth bytes (mode 0) or addressWidth bytes (0x80) */
  uint8_t* data;         /**< count x dataWidth bytes: values to write, or room for values read */
} MmioBatch;

/** Stream parameters of the H.264 encoder. */
typedef struct ZelEncoderParams {
  uint32_t bitRate;      /**< bits per second */
  uint16_t parameter1;   /**< first stream parameter (16 bits), passed unchanged */
  uint16_t parameter2;   /**< second stream parameter (16 bits), passed unchanged */
  uint8_t parameter3;    /**< third stream parameter (8 bits), passed unchanged */
  uint8_t parameter4;    /**< fourth stream parameter (8 bits), passed unchanged */
} ZelEncoderParams;

/** Encoder quality values (records of version below 5 only). */
typedef struct ZelEncoderQuality {
  uint32_t reserved1;    /**< always reported as 0, never sent */
  uint8_t reserved2;     /**< always reported as 0, never sent */
  uint8_t valueA;        /**< quality value A (mask bit 0x04 of ZelEncoderSetQuality) */
  uint8_t valueB;        /**< quality value B (mask bit 0x08 of ZelEncoderSetQuality) */
} ZelEncoderQuality;

/** One encoder stream capability; the meaning of the fields is the device's. */
typedef struct ZelStreamCaps {
  uint16_t first;   /**< reply bytes 3-4 */
  uint16_t second;  /**< reply bytes 5-6 */
  uint32_t third;   /**< reply bytes 7-10 */
  uint32_t fourth;  /**< reply bytes 11-14 */
  uint8_t fifth;    /**< reply byte 15 */
  uint8_t sixth;    /**< reply byte 16 */
} ZelStreamCaps;

#pragma pack(pop)

TANDREL_STATIC_ASSERT(sizeof(ZelFirmwareVersion) == 15, "ZelFirmwareVersion is 15 bytes");
TANDREL_STATIC_ASSERT(sizeof(ZelCustomSerialNumber) == 32, "ZelCustomSerialNumber is 32 bytes");
TANDREL_STATIC_ASSERT(sizeof(ZelSystemInfo) == 13, "ZelSystemInfo is 13 bytes");
TANDREL_STATIC_ASSERT(sizeof(NorvDeviceInfo) == 9, "NorvDeviceInfo is 9 bytes");
TANDREL_STATIC_ASSERT(sizeof(MmioBatch) == 15 + 2 * sizeof(void*), "MmioBatch is packed");
TANDREL_STATIC_ASSERT(sizeof(ZelEncoderParams) == 10, "ZelEncoderParams is 10 bytes");
TANDREL_STATIC_ASSERT(sizeof(ZelEncoderQuality) == 7, "ZelEncoderQuality is 7 bytes");
TANDREL_STATIC_ASSERT(sizeof(ZelStreamCaps) == 14, "ZelStreamCaps is 14 bytes");

/** @} */

/** @defgroup binding Device binding
 * @{ */

/** What identifies a camera to ZelSetDeviceHandle:
 * - Windows: the camera's DirectShow capture filter (IBaseFilter*). The library stores the
 *   pointer without taking a reference; the caller keeps it alive while it is bound.
 * - Linux: a path to the camera's V4L2 node as NUL-terminated text, e.g. "/dev/video0" or
 *   one of udev's links to it (/dev/v4l/by-id/..., /dev/v4l/by-path/...); the library copies
 *   the text, so the caller may reuse its buffer at once.
 * - Simulated world: the camera's DevicePath text from simcam.ini, NUL-terminated; copied. */
typedef void* ZelDeviceHandle;

/** Binds the library to a camera. With a handle: probes its vendor extension unit; 0 bound,
 * ZEL_E_UNREACHABLE when the probe failed (nothing is bound then). With null: binds the first
 * supported camera found; always 0 (nothing bound when none is present). */
TANDREL_API int ZelSetDeviceHandle(ZelDeviceHandle device);
/** Unbinds; later calls find a camera by themselves. Always 0. */
TANDREL_API int ZelClearDeviceHandle(void);
/** Binds every supported camera that passes the probe (at most five), the last one staying
 * bound; releases what an earlier call bound. Always 0: a missing camera shows in the next
 * command's result. */
TANDREL_API int pfn_RvcLib_Initialize(void);
/** Same as ZelClearDeviceHandle. Always 0. */
TANDREL_API int pfn_RvcLib_UnInitialize(void);

/** @} */

/** @defgroup flash Serial flash (128 KiB)
 * @{ */

/** Erases the whole flash; on firmware that reports progress waits for the end (about two
 * seconds at most). 0, ZEL_E_ERASE_INCOMPLETE when it did not end in time, device codes. */
TANDREL_API int ZelFlashErase(void);
/** One erase-status query: *busy = 1 while an erase runs. 0 or a device code. */
TANDREL_API int ZelFlashEraseStatus(unsigned char* busy);
/** Starts erasing the 4 KiB sector at address; does not wait for its end. */
TANDREL_API int ZelFlashSectorErase(int address);
/** Sends length raw SPI bytes to the flash in packets of at most 26. */
TANDREL_API int ZelFlashCustom(const unsigned char* data, unsigned int length);
/** Programs length bytes at address (the range must be erased). ZEL_E_INVALID_ARG when the
 * range ends past 0x20000. */
TANDREL_API int ZelFlashWrite(int address, const unsigned char* data, int length);
/** Reads length bytes from address. ZEL_E_INVALID_ARG when the range ends past 0x20000. */
TANDREL_API int ZelFlashRead(int address, unsigned char* buffer, int length);
/** Prepares the chip's flash interface and sends the SPI configuration (bits 0-15 of
 * configWord, bits 0-7 of configByte). */
TANDREL_API int ZelFlashSetSpiConfig(int configWord, int configByte);

/** @} */

/** @defgroup registers Registers
 * @{ */

/** Writes one 32-bit register. */
TANDREL_API int ZelMmioWrite(int address, int value);
/** Reads one 32-bit register into *value. */
TANDREL_API int ZelMmioRead(int address, int* value);
/** Writes a list of registers in one transfer. ZEL_E_INVALID_ARG for null pointers, a count
 * of 0, widths outside 1 to 4, or a list that does not fit one 64-byte payload;
 * ZEL_E_DEVICE for two or more registers with a mode other than 0 and 0x80. */
TANDREL_API int ZelBatchMmioWrite(const MmioBatch* batch);
/** Reads a list of registers into batch->data; refusals as ZelBatchMmioWrite. */
TANDREL_API int ZelBatchMmioRead(MmioBatch* batch);
/** Sends the caller's 64 bytes unchanged as one batch-write transfer. */
TANDREL_API int ZelBatchMmioWriteEx(const unsigned char* payload);
/** Sends the caller's 64 bytes unchanged, then reads 64 bytes back into the same buffer. */
TANDREL_API int ZelBatchMmioReadEx(unsigned char* payload);

/** @} */

/** @defgroup download Firmware download (used by the updater, looked up by name)
 * @{ */

/** Reads the manufacturer string into name (256 bytes, ANSI) and its byte count including
 * the terminator into *nameLength (0 when the camera has none). */
TANDREL_API void pfn_GetManufacturer(char* name, unsigned char* nameLength);
/** Writes name as string descriptor 3 into the caller's firmware image. Always 0. */
TANDREL_API int pfn_UVC_SetManufactureStringToFW(unsigned char* image, int reserved,
                                                 const char* name);
/** Erases the flash and checks it: 0 fully erased, 1 not. */
TANDREL_API int pfn_UVC_EEPROMErase(void);
/** Writes image at address and verifies: 0 success, 1 verify mismatch, else the write's
 * code; ZEL_E_INVALID_ARG, before any traffic, for a null image or a range outside the flash.
 * Write order (each part written, then read back and compared, before the next is written):
 * the flash below the 256-byte page that holds the stored device descriptor (0x4000-0x40FF),
 * the flash above it, that page except its packet 0x401A-0x4033 that carries the descriptor
 * at 0x4020, and that packet last. A download that fails or is cut off before the end leaves
 * the descriptor erased, so the camera reports the release of its hardware id and the next
 * update writes it again. A complete download from address 0 sends the packets of one write
 * of the whole image and leaves the same flash bytes; only the packets' order and the address
 * commands between the parts differ. */
TANDREL_API int pfn_EEPROM_DownLoad2(int reserved, int address, const unsigned char* image,
                                     int length);
/** Restarts the chip: 0 done, 31 failed. */
TANDREL_API int pfn_UVC_ResetIC(void);

/** @} */

/** @defgroup chip_control Chip control, raw access, auto update
 * @{ */

/** Starts the chip's PLL when it is not running; the last register access's result. */
TANDREL_API int ZelSetPll(void);
/** Resets the chip; the last register access's result. The camera then leaves the bus and
 * comes back as a new device: calls fail with ZEL_E_UNREACHABLE while it is away. A camera the
 * library bound itself (ZelSetDeviceHandle(NULL), pfn_RvcLib_Initialize) is reached again once
 * it is back; a host's own filter on Windows belongs to the device that left, and the host
 * binds the camera anew. */
TANDREL_API int ZelReset(void);
/** Switches the chip into USB boot with the given mode; the camera leaves the bus and comes
 * back, as after ZelReset. */
TANDREL_API int ZelUsbBoot(int mode);
/** Writes up to 64 raw bytes to selector of extension unit 0. The platform takes a write of
 * the control's whole length only: on Windows fewer bytes are refused (ZEL_E_DEVICE); on Linux
 * they are sent as the whole control with the rest zero, and more than the control holds are
 * refused (ZEL_E_INVALID_ARG). */
TANDREL_API int ZelXuSet(int selector, const unsigned char* data, unsigned int length);
/** Reads selector of extension unit 0: *controlLength receives the bytes read (at most
 * length and 64), or the control's length when data is null. The whole control is read and
 * its first bytes returned. */
TANDREL_API int ZelXuGet(int selector, unsigned char* data, unsigned int length,
                         unsigned int* controlLength);

/** Called on the library's own thread each time the camera raises its auto-update event. */
typedef void (*ZelAutoUpdateCallback)(void);
/** Registers callback for the camera's auto-update event. */
TANDREL_API int ZelAutoUpdateInit(ZelAutoUpdateCallback callback);
/** Ends the registration. Always 0. */
TANDREL_API int ZelAutoUpdateUninit(void);

/** Not supported: always ZEL_E_NOT_SUPPORTED, arguments (if any) ignored, nothing touched. */
TANDREL_API int ZelTestExec(void);
/** Not supported: always ZEL_E_NOT_SUPPORTED, as ZelTestExec. */
TANDREL_API int ZelEncryptorGetKey(void);
/** Not supported: always ZEL_E_NOT_SUPPORTED, as ZelTestExec. */
TANDREL_API int ZelEncryptorSetConfig(void);
/** Not supported: always ZEL_E_NOT_SUPPORTED, as ZelTestExec. */
TANDREL_API int ZelEncryptorSetKey(void);
/** Not supported: always ZEL_E_NOT_SUPPORTED, as ZelTestExec. */
TANDREL_API int ZelSetEncoderOption(void);

/** @} */

/** @defgroup encoder Video encoder
 * @{ */

/** Writes the stream parameters named by mask (low four bits). 1 when the device refused the
 * write but reports it as taken (record byte 16). */
TANDREL_API int ZelEncoderSetParams(const ZelEncoderParams* params, int mask);
/** ZEL_E_DEVICE (params untouched) when an indexed record (version 0xFF) names a bit-rate
 * index past the library's table. */
TANDREL_API int ZelEncoderGetParams(ZelEncoderParams* params);
/** Requests a key frame. */
TANDREL_API int ZelEncoderSetIFrame(void);
/** Reads the GOP length (frames from one key frame to the next; 16 bits) into *gop. */
TANDREL_API int ZelEncoderGetGOP(int* gop);
/** Writes the GOP length; its low 16 bits are sent. */
TANDREL_API int ZelEncoderSetGOP(int gop);
/** Quality values A (mask bit 0x04) and B (mask bit 0x08); ZEL_E_NOT_SUPPORTED on encoder
 * records of version 5 or above. */
TANDREL_API int ZelEncoderSetQuality(const ZelEncoderQuality* quality, int mask);
/** Reads quality values A and B. On encoder records of version 5 or above: ZEL_E_NOT_SUPPORTED,
 * and *quality is written with zeros. */
TANDREL_API int ZelEncoderGetQuality(ZelEncoderQuality* quality);
/** Number of profiles the chip offers (1 or 3). */
TANDREL_API int ZelEncoderGetNumberOfProfiles(int* count);
/** Profile index: level, profile_idc and flags; ZEL_E_INVALID_ARG for an index the chip
 * does not offer. */
TANDREL_API int ZelEncoderGetProfile(int index, int* level, int* profile, int* flags);
/** ZEL_E_DEVICE (outputs untouched) when the record names a profile or level index past the
 * library's tables. */
TANDREL_API int ZelEncoderGetProfileAndLevel(int* level, int* profile, int* flags);
/** level (H.264 level x 10, 19 = 1b) and profile (profile_idc); ZEL_E_INVALID_ARG for values
 * outside the tables. */
TANDREL_API int ZelEncoderSetProfileAndLevel(int level, int profile);
/** Reads the entropy coding mode; 0 on encoder records below version 5, which have none. */
TANDREL_API int ZelEncoderGetEntropy(unsigned char* entropy);
/** ZEL_E_NOT_SUPPORTED on encoder records below version 5. */
TANDREL_API int ZelEncoderSetEntropy(int entropy);
/** ZEL_E_DEVICE (count 0) when the reply lacks its marker. */
TANDREL_API int ZelEncoderGetNumberOfCapabilities(int* count);
/** index 0 to 254; ZEL_E_DEVICE (caps zeroed) when the reply lacks its marker. */
TANDREL_API int ZelEncoderGetStreamCaps(unsigned int index, ZelStreamCaps* caps);

/** @} */

/** @defgroup image_tuning Image tuning and extension unit 1
 * @{ */

/** Selects calibration mode 0 to 3. */
TANDREL_API int ZelSetCalibrateMode(int mode);
/** Sends a calibration command: code ORed into the calibration command byte (0x60), value
 * (32 bits) after it. */
TANDREL_API int ZelSetCalibrateModeEx(unsigned int value, unsigned char code);
/** Sets the calibration RCA level. */
TANDREL_API int ZelSetCalibrateRcaLevel(unsigned char level);
/** Selects special effect effect, up to 10. */
TANDREL_API int ZelSetSpecialEffect(int effect);
/** White-balance compensation: bits 0-17 of each value are sent. */
TANDREL_API int ZelSetWBComp(unsigned int first, unsigned int second, unsigned int third);
/** Exposure compensation: a 32-bit and a 16-bit value. */
TANDREL_API int ZelSetExpComp(unsigned int first, unsigned short second);
/** Auto-exposure speed: a 16-bit and an 8-bit value. */
TANDREL_API int ZelSetAeSpeed(unsigned short first, unsigned char second);
/** Sets the two flip bits; nonzero = on. */
TANDREL_API int ZelSetFlipMode(unsigned char first, unsigned char second);
/** Reads the two flip bits as 0 or 1 each. */
TANDREL_API int ZelGetFlipMode(unsigned char* first, unsigned char* second);
/** Reads the device information record of extension unit 1. */
TANDREL_API int NorvGetDeviceInfo(NorvDeviceInfo* info);
/** Reads the LED value of extension unit 1. */
TANDREL_API int NorvGetLed(unsigned char* value);
/** Writes the LED value of extension unit 1. */
TANDREL_API int NorvSetLed(unsigned char value);
/** Reads the auto-exposure maximum gain of extension unit 1. */
TANDREL_API int NorvGetAeMaxGain(unsigned char* value);
/** Writes the auto-exposure maximum gain of extension unit 1. */
TANDREL_API int NorvSetAeMaxGain(unsigned char value);
/** Reads the auto-exposure maximum time (16 bits) of extension unit 1. */
TANDREL_API int NorvGetAeMaxTime(unsigned short* value);
/** Writes the auto-exposure maximum time (16 bits) of extension unit 1. */
TANDREL_API int NorvSetAeMaxTime(unsigned short value);

/** @} */

/** @defgroup video Video processing
 * Each setting is one group of extension unit 0, selector 6: a Set sends its values, the
 * matching Get reads them back in the same order.
 * @{ */

/** Sets the RGB format (three 8-bit values). */
TANDREL_API int ZelVideoSetRGBFormat(unsigned char first, unsigned char second,
                                     unsigned char third);
/** Reads the RGB format (three 8-bit values). */
TANDREL_API int ZelVideoGetRGBFormat(unsigned char* first, unsigned char* second,
                                     unsigned char* third);
/** Sets the mirror setting. */
TANDREL_API int ZelVideoSetMirror(unsigned char value);
/** Reads the mirror setting. */
TANDREL_API int ZelVideoGetMirror(unsigned char* value);
/** Sets the temporal noise reduction setting. */
TANDREL_API int ZelVideoSetTemporalNoiseReduction(unsigned char value);
/** Reads the temporal noise reduction setting. */
TANDREL_API int ZelVideoGetTemporalNoiseReduction(unsigned char* value);
/** Sets the rate control (three 8-bit values). */
TANDREL_API int ZelVideoSetRateControl(unsigned char first, unsigned char second,
                                       unsigned char third);
/** Reads the rate control (three 8-bit values). */
TANDREL_API int ZelVideoGetRateControl(unsigned char* first, unsigned char* second,
                                       unsigned char* third);
/** Sets the auto refresh (8-, 16- and 8-bit values). */
TANDREL_API int ZelVideoSetAutoRefresh(unsigned char first, unsigned short second,
                                       unsigned char third);
/** Reads the auto refresh (8-, 16- and 8-bit values). */
TANDREL_API int ZelVideoGetAutoRefresh(unsigned char* first, unsigned short* second,
                                       unsigned char* third);
/** Sets the region of interest (an 8-bit and three 32-bit values). */
TANDREL_API int ZelVideoSetRegionOfInterest(unsigned char first, unsigned int second,
                                            unsigned int third, unsigned int fourth);
/** Reads the region of interest (an 8-bit and three 32-bit values). */
TANDREL_API int ZelVideoGetRegionOfInterest(unsigned char* first, unsigned int* second,
                                            unsigned int* third, unsigned int* fourth);
/** Sets the dynamic resolution scaling setting. */
TANDREL_API int ZelVideoSetDynamicResolutionScaling(unsigned char value);
/** Reads the dynamic resolution scaling setting. */
TANDREL_API int ZelVideoGetDynamicResolutionScaling(unsigned char* value);
/** Sets the scalable video coding (two 8-bit values). */
TANDREL_API int ZelVideoSetScalableVideoCoding(unsigned char first, unsigned char second);
/** Reads the scalable video coding (two 8-bit values). */
TANDREL_API int ZelVideoGetScalableVideoCoding(unsigned char* first, unsigned char* second);
/** Sets the simulcast (two 8-bit values). */
TANDREL_API int ZelVideoSetSimulcast(unsigned char first, unsigned char second);
/** Reads the simulcast (two 8-bit values). */
TANDREL_API int ZelVideoGetSimulcast(unsigned char* first, unsigned char* second);
/** Sets the stereo view setting. */
TANDREL_API int ZelVideoSetStereoView(unsigned char value);
/** Reads the stereo view setting. */
TANDREL_API int ZelVideoGetStereoView(unsigned char* value);

/** @} */

/** @defgroup audio Audio processing
 * Each setting is one group of extension unit 0, selector 7, as the video settings.
 * @{ */

/** Sets the acoustic noise reduction setting. */
TANDREL_API int ZelAudioSetAcousticNoiseReduction(unsigned char value);
/** Reads the acoustic noise reduction setting. */
TANDREL_API int ZelAudioGetAcousticNoiseReduction(unsigned char* value);
/** Sets the equalizer (two 8-bit values). */
TANDREL_API int ZelAudioSetEqualizer(unsigned char first, unsigned char second);
/** Reads the equalizer (two 8-bit values). */
TANDREL_API int ZelAudioGetEqualizer(unsigned char* first, unsigned char* second);
/** Sets the beam forming setting. */
TANDREL_API int ZelAudioSetBeamForming(unsigned char value);
/** Reads the beam forming setting. */
TANDREL_API int ZelAudioGetBeamForming(unsigned char* value);

/** @} */

/** @defgroup identity Device identity (from flash)
 * @{ */

/** The vendor, product and revision texts of the firmware; the flash read's result. */
TANDREL_API int ZelGetFirmwareVersion(ZelFirmwareVersion* version);
/** The USB serial-number string as ANSI text into text (size bytes); *count = characters
 * written including the terminator (0 when the camera has none: index 0, or a slot that holds
 * no string descriptor, as an erased flash). */
TANDREL_API int ZelGetSerialNumber(char* text, int size, int* count);
/** The USB manufacturer string, as ZelGetSerialNumber. */
TANDREL_API int ZelGetiManufacturer(char* text, int size, int* count);
/** Stores the custom serial number (length up to 30) in its own flash sector. */
TANDREL_API int ZelSetCustomSerialNumber(ZelCustomSerialNumber serial);
/** Reads the custom serial number; ZEL_E_INVALID_ARG for a stored length above 30. */
TANDREL_API int ZelGetCustomSerialNumber(ZelCustomSerialNumber* serial);

/** @} */

/** @defgroup device_settings Device settings
 * Each setting is one group of extension unit 0, selector 5, as the video settings.
 * @{ */

/** Sets the LED mode. */
TANDREL_API int ZelSetLedMode(unsigned char mode);
/** Reads the LED mode. */
TANDREL_API int ZelGetLedMode(unsigned char* mode);
/** Sets the stream format; ZEL_E_NOT_SUPPORTED below encoder record version 3. */
TANDREL_API int ZelSetStreamFormat(unsigned char format);
/** Reads the stream format; below encoder record version 3 ZEL_E_NOT_SUPPORTED with
 * *format = 1. */
TANDREL_API int ZelGetStreamFormat(int* format);
/** Sets the encoder frame-size format; ZEL_E_NOT_SUPPORTED below encoder record version 3. */
TANDREL_API int ZelSetEncoderFrameSizeFormat(unsigned char format);
/** Reads the encoder frame-size format; below encoder record version 3 ZEL_E_NOT_SUPPORTED with
 * *format = 0. */
TANDREL_API int ZelGetEncoderFrameSizeFormat(unsigned char* format);
/** Sets the H.264 disable setting. */
TANDREL_API int ZelSetH264Disable(unsigned char value);
/** Reads the H.264 disable setting. */
TANDREL_API int ZelGetH264Disable(unsigned char* value);
/** Sets the pan and tilt (16 bits each). */
TANDREL_API int ZelSetPanTilt(unsigned short pan, unsigned short tilt);
/** Reads the pan and tilt (16 bits each). */
TANDREL_API int ZelGetPanTilt(unsigned short* pan, unsigned short* tilt);
/** Sets the shutter mode. */
TANDREL_API int ZelSetShutterMode(unsigned char mode);
/** Reads the shutter mode. */
TANDREL_API int ZelGetShutterMode(unsigned char* mode);
/** Sets the MJPEG quality factor. */
TANDREL_API int ZelSetMjpgQFactor(unsigned char factor);
/** Reads the MJPEG quality factor. */
TANDREL_API int ZelGetMjpgQFactor(unsigned char* factor);
/** Sets the cropped image: first is ignored; fifth at most 480 (only its low byte is sent). */
TANDREL_API int ZelSetCroppedImage(int first, unsigned char second, unsigned char third,
                                   unsigned char fourth, unsigned int fifth,
                                   unsigned char sixth);

/** @} */

/** @defgroup system_information System information
 * @{ */

/** Reads the live system information record. */
TANDREL_API int ZelGetSystemInfornation(ZelSystemInfo* info);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* TANDREL_H */
