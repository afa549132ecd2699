// flash read, erase, write and verify: page-sized steps, so that progress shows and Ctrl-C
// stops between packets.
#include <algorithm>
#include <string>
#include <vector>

#include "commands.h"
#include "zel/flash_layout.h"
#include "flash_file.h"
#include "interrupt.h"
#include "progress.h"
#include "tandrel.h"

namespace cli {
namespace {

using zel::kDescriptorPage;
using zel::kFlashBytes;
using zel::kPacketBytes;
using zel::kPageBytes;

std::string Range(uint32_t begin, uint32_t end) { return Hex(begin, 5) + "-" + Hex(end, 5); }

// The packets the library sends for length bytes.
uint64_t Packets(int length) {
  return static_cast<uint64_t>((length + kPacketBytes - 1) / kPacketBytes);
}

struct Piece {
  uint32_t at;
  uint32_t size;
};

// [offset, offset + length) in pieces that end on page boundaries, in address order; with
// descriptorLast the page of the stored device descriptor goes last, so that a write cut off
// before the end leaves the camera reporting no release and the next update writes it again.
std::vector<Piece> Pieces(uint32_t offset, uint32_t length, bool descriptorLast) {
  std::vector<Piece> pieces;
  std::vector<Piece> last;
  for (uint32_t done = 0; done < length;) {
    const uint32_t at = offset + done;
    const uint32_t size = std::min<uint32_t>(length - done, kPageBytes - at % kPageBytes);
    const bool descriptorPage = at / kPageBytes * kPageBytes == uint32_t{kDescriptorPage};
    (descriptorLast && descriptorPage ? last : pieces).push_back({at, size});
    done += size;
  }
  pieces.insert(pieces.end(), last.begin(), last.end());
  return pieces;
}

// Runs step(address, offset into the range, size) over the pieces; stops at the first failure
// or at Ctrl-C. Returns the step's last result; finished receives the pieces done.
template <typename Step>
int PageSteps(const char* label, bool quiet, const std::vector<Piece>& pieces, uint32_t offset,
              size_t& finished, Step step) {
  uint32_t length = 0;
  for (const Piece& piece : pieces) length += piece.size;
  Progress progress(label, length, quiet);
  uint64_t requests = 0;
  uint32_t done = 0;
  for (finished = 0; finished < pieces.size(); ++finished) {
    if (Interrupted()) return ZEL_OK;
    const Piece& piece = pieces[finished];
    const int result = step(piece.at, piece.at - offset, static_cast<int>(piece.size));
    if (result != ZEL_OK) return result;
    done += piece.size;
    requests += Packets(static_cast<int>(piece.size));
    progress.Update(done, requests);
  }
  return ZEL_OK;
}

bool Fits(uint32_t offset, uint64_t length) {
  return offset <= uint32_t{kFlashBytes} && length <= uint32_t{kFlashBytes} - offset;
}

ExitCode Interruption(Session& session, Value report, const std::string& state) {
  report.Set("interrupted", true).Set("state", state);
  if (session.Args().json) {
    session.Report(report);
  } else {
    session.Fail(kExitInterrupted, "interrupted: " + state);
  }
  return kExitInterrupted;
}

// Reads bytes.size() bytes from offset with progress: kExitOk, a failure already reported, or
// kExitInterrupted for the caller to report with what it means for its command.
ExitCode ReadRange(Session& session, const char* label, uint32_t offset, std::string& bytes) {
  const std::vector<Piece> pieces = Pieces(offset, static_cast<uint32_t>(bytes.size()), false);
  size_t finished = 0;
  const int result =
      PageSteps(label, session.Args().quiet, pieces, offset, finished,
                [&](uint32_t at, uint32_t into, int piece) {
                  return ZelFlashRead(static_cast<int>(at),
                                      reinterpret_cast<unsigned char*>(&bytes[into]), piece);
                });
  if (result != ZEL_OK)
    return session.Check(result, "flash read at " + Hex(pieces[finished].at, 5));
  return finished < pieces.size() ? kExitInterrupted : kExitOk;
}

ExitCode Read(Session& session) {
  uint32_t offset = 0, length = 0;
  ExitCode failure = kExitOk;
  if (!session.Number(0, "offset", offset, failure) ||
      !session.Number(1, "length", length, failure))
    return failure;
  if (!session.Args().outputFile) return session.Fail(kExitUsage, "flash read needs -o FILE");
  if (!Fits(offset, length))
    return session.Fail(kExitRefused, "the range ends past the flash (0x20000 bytes)");
  if (const ExitCode bound = session.Bind()) return bound;
  std::string bytes(length, '\0');
  const ExitCode read = ReadRange(session, "reading", offset, bytes);
  Value report = session.NewReport().Set("offset", Hex(offset, 5)).Set("length", length);
  if (read == kExitInterrupted)
    return Interruption(session, report, "nothing written to the file; the flash is unchanged");
  if (read != kExitOk) return read;
  if (!WriteFlashFile(*session.Args().outputFile, bytes)) {
    return session.Fail(kExitFile, "cannot write " + *session.Args().outputFile);
  }
  return session.Report(report.Set("file", *session.Args().outputFile));
}

// The file and its place for write and verify, then the camera: kExitOk or the failure.
ExitCode FileOffsetAndCamera(Session& session, std::string& bytes, uint32_t& offset) {
  if (session.Words().size() != 1) return session.Fail(kExitUsage, "needs FILE (see --help)");
  offset = 0;
  if (session.Args().offset) {
    const auto parsed = ParseNumber(*session.Args().offset);
    if (!parsed) return session.Fail(kExitUsage, "--offset is not a number");
    offset = *parsed;
  }
  const auto content = ReadFlashFile(session.Words()[0]);
  if (!content || content->empty()) {
    return session.Fail(
        kExitFile, "cannot read " + session.Words()[0] + " (a regular file of 1 to 131072 bytes)");
  }
  if (!Fits(offset, content->size())) {
    return session.Fail(kExitRefused,
                        "the file ends past the flash (0x20000 bytes) at this offset");
  }
  bytes = *content;
  return session.Bind();
}

ExitCode Write(Session& session) {
  std::string bytes;
  uint32_t offset = 0;
  if (const ExitCode failed = FileOffsetAndCamera(session, bytes, offset)) return failed;
  const auto length = static_cast<uint32_t>(bytes.size());
  const std::vector<Piece> pieces = Pieces(offset, length, true);
  size_t finished = 0;
  const int result =
      PageSteps("writing", session.Args().quiet, pieces, offset, finished,
                [&](uint32_t at, uint32_t from, int piece) {
                  return ZelFlashWrite(static_cast<int>(at),
                                       reinterpret_cast<const unsigned char*>(&bytes[from]), piece);
                });
  uint32_t written = 0;
  for (size_t i = 0; i < finished; ++i) written += pieces[i].size;
  Value report = session.NewReport()
                     .Set("file", session.Words()[0])
                     .Set("offset", Hex(offset, 5))
                     .Set("written", written);
  if (finished < pieces.size()) {
    // Pages are done in address order, the descriptor page (when in range) last.
    const Piece& last = pieces.back();
    const bool descriptorInRange =
        last.at / kPageBytes * kPageBytes == uint32_t{kDescriptorPage};
    const uint32_t end = offset + length;
    const uint32_t writtenEnd =
        descriptorInRange && finished + 1 == pieces.size() ? end : pieces[finished].at;
    const bool descriptorSkipped = descriptorInRange && writtenEnd > last.at;
    const std::string state =
        Range(offset, writtenEnd) + " holds the file" +
        (descriptorSkipped
             ? " except the device-descriptor page " + Range(last.at, last.at + last.size)
             : "") +
        (writtenEnd < end ? ", " + Range(writtenEnd, end) + " is as it was before" : "") +
        (descriptorInRange ? "; the camera reports no release until the descriptor is written"
                           : "");
    const uint32_t stop = pieces[finished].at;
    if (result != ZEL_OK)
      return session.Check(result, "flash write at " + Hex(stop, 5) + " (" + state + ")");
    return Interruption(session, report,
                        state + "; the firmware is incomplete until `tandrel update IMAGE`");
  }
  if (const ExitCode failed = session.Check(result, "flash write")) return failed;
  return session.Report(report);
}

ExitCode Verify(Session& session) {
  std::string bytes;
  uint32_t offset = 0;
  if (const ExitCode failed = FileOffsetAndCamera(session, bytes, offset)) return failed;
  const auto length = static_cast<uint32_t>(bytes.size());
  std::string flash(length, '\0');
  const ExitCode read = ReadRange(session, "verifying", offset, flash);
  Value report = session.NewReport()
                     .Set("file", session.Words()[0])
                     .Set("offset", Hex(offset, 5))
                     .Set("length", length);
  if (read == kExitInterrupted)
    return Interruption(session, report, "verification incomplete; the flash is unchanged");
  if (read != kExitOk) return read;
  const auto mismatch = std::mismatch(bytes.begin(), bytes.end(), flash.begin());
  if (mismatch.first != bytes.end()) {
    const auto at = offset + static_cast<uint32_t>(mismatch.first - bytes.begin());
    return session.Fail(kExitVerifyMismatch, "flash differs from the file first at " + Hex(at, 5));
  }
  return session.Report(report.Set("match", true));
}

ExitCode Erase(Session& session) {
  if (!session.Words().empty()) return session.Fail(kExitUsage, "flash erase takes no argument");
  if (const ExitCode bound = session.Bind()) return bound;
  if (const ExitCode failed = session.Check(ZelFlashErase(), "flash erase")) return failed;
  return session.Report(session.NewReport().Set("erased", true));
}

}  // namespace

ExitCode RunFlash(Session& session) {
  if (session.Words().empty())
    return session.Fail(kExitUsage, "flash read, erase, write or verify (see --help)");
  const std::string verb = session.Words()[0];
  session.DropWord();
  if (verb == "read") return Read(session);
  if (verb == "erase") return Erase(session);
  if (verb == "write") return Write(session);
  if (verb == "verify") return Verify(session);
  return session.Fail(kExitUsage, "flash read, erase, write or verify (see --help)");
}

}  // namespace cli
