#include "usbip/usbip_wire.h"

#include <algorithm>
#include <cstring>

namespace sim::usbip {
namespace {

uint32_t Big32(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}
uint16_t Big16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
uint16_t Little16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void PutBig16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}
void PutText(std::vector<uint8_t>& out, const std::string& text, size_t size) {
  const size_t kept = std::min(text.size(), size - 1);
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(kept));
  out.insert(out.end(), size - kept, 0);
}

// The five words every URB message starts with.
void PutBasicHeader(std::vector<uint8_t>& out, uint32_t command, uint32_t seqnum) {
  PutBig32(out, command);
  PutBig32(out, seqnum);
  for (int i = 0; i < 3; ++i) PutBig32(out, 0);  // devid, direction, ep: unused in replies
}

}  // namespace

UrbCommand ParseUrbHeader(const uint8_t (&header)[kUrbHeaderBytes]) {
  UrbCommand command;
  command.command = Big32(header);
  command.seqnum = Big32(header + 4);
  command.devid = Big32(header + 8);
  command.direction = Big32(header + 12);
  command.endpoint = Big32(header + 16);
  if (command.command == kCommandSubmit) {
    command.transferLength = Big32(header + 24);
    const uint8_t* setup = header + 40;
    command.setup = {setup[0], setup[1], Little16(setup + 2), Little16(setup + 4),
                     Little16(setup + 6)};
  } else if (command.command == kCommandUnlink) {
    command.unlinkSeqnum = Big32(header + 20);
  }
  return command;
}

std::vector<uint8_t> SubmitReply(const UrbCommand& command, int32_t status,
                                 const std::vector<uint8_t>& data, uint32_t outLength) {
  std::vector<uint8_t> reply;
  PutBasicHeader(reply, kReturnSubmit, command.seqnum);
  const bool in = command.direction == kDirectionIn;
  PutBig32(reply, static_cast<uint32_t>(status));
  PutBig32(reply, in ? static_cast<uint32_t>(data.size()) : outLength);  // actual_length
  PutBig32(reply, 0);  // start_frame
  PutBig32(reply, 0);  // number_of_packets: no isochronous transfer is ever answered
  PutBig32(reply, 0);  // error_count
  reply.resize(kUrbHeaderBytes, 0);
  if (in) reply.insert(reply.end(), data.begin(), data.end());
  return reply;
}

std::vector<uint8_t> UnlinkReply(const UrbCommand& command, int32_t status) {
  std::vector<uint8_t> reply;
  PutBasicHeader(reply, kReturnUnlink, command.seqnum);
  PutBig32(reply, static_cast<uint32_t>(status));
  reply.resize(kUrbHeaderBytes, 0);
  return reply;
}

std::vector<uint8_t> ImportRequest(const std::string& busId) {
  std::vector<uint8_t> request;
  PutBig16(request, kProtocolVersion);
  PutBig16(request, kRequestImport);
  PutBig32(request, 0);
  PutText(request, busId, kBusIdBytes);
  return request;
}

std::string ImportedBusId(const std::vector<uint8_t>& request) {
  if (request.size() != kOperationHeaderBytes + kBusIdBytes ||
      Big16(request.data()) != kProtocolVersion || Big16(request.data() + 2) != kRequestImport) {
    return {};
  }
  const char* const text = reinterpret_cast<const char*>(request.data() + kOperationHeaderBytes);
  return std::string(text, strnlen(text, kBusIdBytes));
}

std::vector<uint8_t> ImportReply(const ExportedDevice& device) {
  std::vector<uint8_t> reply;
  PutBig16(reply, kProtocolVersion);
  PutBig16(reply, kReplyImport);
  PutBig32(reply, 0);
  PutText(reply, "/sys/devices/usbip-camera/" + device.busId, 256);
  PutText(reply, device.busId, kBusIdBytes);
  PutBig32(reply, device.busNumber);
  PutBig32(reply, device.deviceNumber);
  PutBig32(reply, kSpeedHigh);
  PutBig16(reply, device.vendor);
  PutBig16(reply, device.product);
  PutBig16(reply, device.release);
  reply.push_back(device.deviceClass);
  reply.push_back(device.deviceSubClass);
  reply.push_back(device.deviceProtocol);
  reply.push_back(1);  // bConfigurationValue
  reply.push_back(1);  // bNumConfigurations
  reply.push_back(device.interfaces);
  return reply;
}

}  // namespace sim::usbip
