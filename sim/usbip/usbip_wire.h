// The USB/IP protocol as Linux's vhci-hcd speaks it: the import handshake of the user-space
// tools and the URB messages of an attached device. Every field on the wire is big-endian;
// the setup packet of a control transfer keeps USB's own little-endian layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim::usbip {

constexpr uint16_t kProtocolVersion = 0x0111;
constexpr uint16_t kRequestImport = 0x8003;
constexpr uint16_t kReplyImport = 0x0003;
constexpr size_t kOperationHeaderBytes = 8;
constexpr size_t kBusIdBytes = 32;
constexpr size_t kExportedDeviceBytes = 312;

constexpr uint32_t kCommandSubmit = 1;
constexpr uint32_t kCommandUnlink = 2;
constexpr uint32_t kReturnSubmit = 3;
constexpr uint32_t kReturnUnlink = 4;
constexpr size_t kUrbHeaderBytes = 48;
constexpr uint32_t kDirectionIn = 1;

// What a vhci port is told of the device: the speed enumerator of the kernel's usb_device_speed.
constexpr uint32_t kSpeedHigh = 3;

struct SetupPacket {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
};

// USBIP_CMD_SUBMIT or USBIP_CMD_UNLINK, with the data of an OUT transfer.
struct UrbCommand {
  uint32_t command = 0;
  uint32_t seqnum = 0;
  uint32_t devid = 0;
  uint32_t direction = 0;
  uint32_t endpoint = 0;
  uint32_t transferLength = 0;  // CMD_SUBMIT
  SetupPacket setup;            // CMD_SUBMIT on endpoint 0
  uint32_t unlinkSeqnum = 0;    // CMD_UNLINK
  std::vector<uint8_t> data;    // CMD_SUBMIT, direction out
};

// Decodes the fixed header of a command; the OUT data, transferLength bytes, follows it.
UrbCommand ParseUrbHeader(const uint8_t (&header)[kUrbHeaderBytes]);
// USBIP_RET_SUBMIT: status 0 or a negative errno (-EPIPE is a stall); data is what an IN
// transfer returns.
std::vector<uint8_t> SubmitReply(const UrbCommand& command, int32_t status,
                                 const std::vector<uint8_t>& data, uint32_t outLength);
// USBIP_RET_UNLINK: status -ECONNRESET when the URB was still pending, 0 when it had ended.
std::vector<uint8_t> UnlinkReply(const UrbCommand& command, int32_t status);

// OP_REQ_IMPORT for a bus id such as "1-1".
std::vector<uint8_t> ImportRequest(const std::string& busId);
// The bus id an OP_REQ_IMPORT names; empty when the bytes are no such request.
std::string ImportedBusId(const std::vector<uint8_t>& request);

struct ExportedDevice {
  std::string busId;
  uint32_t busNumber = 0;
  uint32_t deviceNumber = 0;
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint16_t release = 0;
  uint8_t deviceClass = 0;
  uint8_t deviceSubClass = 0;
  uint8_t deviceProtocol = 0;
  uint8_t interfaces = 0;
};
// OP_REP_IMPORT with status 0 and the device.
std::vector<uint8_t> ImportReply(const ExportedDevice& device);

}  // namespace sim::usbip
