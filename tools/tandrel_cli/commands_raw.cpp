// Raw access and chip control: extension-unit controls, registers, PLL, reset, USB boot.
#include <string>

#include "commands.h"
#include "tandrel.h"

namespace cli {
namespace {

constexpr unsigned kMostXuBytes = 64;
constexpr uint32_t kMostRegisters = 64;
constexpr uint32_t kRegisterBytes = 4;

std::string HexBytes(const unsigned char* data, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  return text;
}

bool ParseHexBytes(const std::string& text, std::string& bytes) {
  if (text.empty() || text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    const auto byte = ParseNumber("0x" + text.substr(i, 2));
    if (!byte) return false;
    bytes += static_cast<char>(*byte);
  }
  return true;
}

// The sub-command word ("get", "read", ...) taken off the words; empty when missing.
std::string Verb(Session& session) {
  if (session.Words().empty()) return {};
  std::string verb = session.Words()[0];
  session.DropWord();
  return verb;
}

ExitCode Simple(Session& session, int (*action)(), const char* what) {
  if (const ExitCode bound = session.Bind()) return bound;
  if (const ExitCode failed = session.Check(action(), what)) return failed;
  return session.Report(session.NewReport().Set("done", true));
}

}  // namespace

ExitCode RunXu(Session& session) {
  const std::string verb = Verb(session);
  if (verb != "get" && verb != "set")
    return session.Fail(kExitUsage, "xu get or xu set (see --help)");
  uint32_t unit = 0, selector = 0;
  ExitCode failure = kExitOk;
  if (!session.Number(0, "unit", unit, failure) ||
      !session.Number(1, "selector", selector, failure)) {
    return failure;
  }
  if (unit != 0) return session.Fail(kExitRefused, "the library reaches extension unit 0 only");
  if (session.Words().size() != 3)
    return session.Fail(kExitUsage, "xu " + verb + " takes three arguments");
  if (verb == "get") {
    uint32_t length = 0;
    if (!session.Number(2, "length", length, failure)) return failure;
    if (length == 0 || length > kMostXuBytes)
      return session.Fail(kExitRefused, "length is 1 to 64");
    if (const ExitCode bound = session.Bind()) return bound;
    unsigned char data[kMostXuBytes] = {};
    unsigned int read = 0;
    if (const ExitCode failed = session.Check(
            ZelXuGet(static_cast<int>(selector), data, length, &read), "extension-unit read")) {
      return failed;
    }
    return session.Report(session.NewReport()
                              .Set("unit", unit)
                              .Set("selector", selector)
                              .Set("length", read)
                              .Set("data", HexBytes(data, read)));
  }
  std::string bytes;
  if (!ParseHexBytes(session.Words()[2], bytes))
    return session.Fail(kExitUsage, "HEX is pairs of hex digits");
  if (bytes.size() > kMostXuBytes) return session.Fail(kExitRefused, "at most 64 bytes");
  if (const ExitCode bound = session.Bind()) return bound;
  const int result =
      ZelXuSet(static_cast<int>(selector), reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned>(bytes.size()));
  if (const ExitCode failed = session.Check(result, "extension-unit write")) return failed;
  return session.Report(session.NewReport()
                            .Set("unit", unit)
                            .Set("selector", selector)
                            .Set("length", static_cast<int>(bytes.size())));
}

ExitCode RunReg(Session& session) {
  const std::string verb = Verb(session);
  if (verb != "read" && verb != "write")
    return session.Fail(kExitUsage, "reg read or reg write (see --help)");
  uint32_t address = 0;
  ExitCode failure = kExitOk;
  if (!session.Number(0, "address", address, failure)) return failure;
  if (verb == "write") {
    uint32_t value = 0;
    if (!session.Number(1, "value", value, failure)) return failure;
    if (session.Words().size() != 2) return session.Fail(kExitUsage, "reg write takes ADDR VALUE");
    if (const ExitCode bound = session.Bind()) return bound;
    if (const ExitCode failed = session.Check(
            ZelMmioWrite(static_cast<int>(address), static_cast<int>(value)), "register write")) {
      return failed;
    }
    return session.Report(
        session.NewReport().Set("address", Hex(address, 8)).Set("value", Hex(value, 8)));
  }
  uint32_t count = 1;
  if (session.Words().size() > 1 && !session.Number(1, "count", count, failure)) return failure;
  if (session.Words().size() > 2) return session.Fail(kExitUsage, "reg read takes ADDR [COUNT]");
  if (count == 0 || count > kMostRegisters) return session.Fail(kExitRefused, "COUNT is 1 to 64");
  if (const ExitCode bound = session.Bind()) return bound;
  Value::Array registers;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t at = address + i * kRegisterBytes;
    int value = 0;
    if (const ExitCode failed =
            session.Check(ZelMmioRead(static_cast<int>(at), &value), "register read")) {
      return failed;
    }
    registers.push_back(
        Value().Set("address", Hex(at, 8)).Set("value", Hex(static_cast<uint32_t>(value), 8)));
  }
  return session.Report(session.NewReport().Set("registers", registers));
}

ExitCode RunPll(Session& session) { return Simple(session, ZelSetPll, "PLL start"); }

ExitCode RunReset(Session& session) { return Simple(session, ZelReset, "chip reset"); }

ExitCode RunUsbBoot(Session& session) {
  uint32_t mode = 0;
  ExitCode failure = kExitOk;
  if (!session.Words().empty() && !session.Number(0, "mode", mode, failure)) return failure;
  if (!session.Confirm("Switch the camera into USB boot? It leaves its firmware until reset.")) {
    return kExitDeclined;
  }
  if (const ExitCode bound = session.Bind()) return bound;
  if (const ExitCode failed = session.Check(ZelUsbBoot(static_cast<int>(mode)), "USB boot"))
    return failed;
  return session.Report(session.NewReport().Set("mode", mode));
}

}  // namespace cli
