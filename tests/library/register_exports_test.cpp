#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "sim_world_fixture.h"
#include "tandrel.h"
#include "transport/library_lock.h"

namespace tandrel::testing {
namespace {

constexpr char kProbeLine[] = "LEN 0 2 64 - 800700ea";

class RegisterExportsTest : public SimWorldTest {
 protected:
  void SetUp() override { UseWorld(CameraSection(1, kZelPath)); }

};

TEST_F(RegisterExportsTest, RegisterWriteSendsAddressAndValueLittleEndian) {
  ASSERT_EQ(ZelMmioWrite(0x02000018, 0x0A020801), ZEL_OK);
  const std::vector<std::string> expected = {
      kProbeLine, "SET 0 2 64 " + Payload("011800000201080" "20a") + " 00000000"};
  EXPECT_EQ(Trace(), expected);
}

TEST_F(RegisterExportsTest, RegisterReadTakesTheValueFromReplyBytesFiveToEight) {
  int value = 0;
  ASSERT_EQ(ZelMmioRead(0x06000000, &value), ZEL_OK);
  EXPECT_EQ(value, 0x0A020801);
  const std::vector<std::string> expected = {
      kProbeLine, "SET 0 2 64 " + Payload("0000000006") + " 00000000", kProbeLine,
      "GET 0 2 64 " + Payload("000000000601080" "20a") + " 00000000"};
  EXPECT_EQ(Trace(), expected);
}

TEST_F(RegisterExportsTest, WrittenRegistersReadBack) {
  ASSERT_EQ(ZelMmioWrite(0x02000004, -2), ZEL_OK);
  int value = 0;
  ASSERT_EQ(ZelMmioRead(0x02000004, &value), ZEL_OK);
  EXPECT_EQ(value, -2);
}

TEST_F(RegisterExportsTest, NullValuePointerIsRefusedWithoutTraffic) {
  EXPECT_EQ(ZelMmioRead(0x06000000, nullptr), ZEL_E_INVALID_ARG);
  EXPECT_TRUE(Trace().empty());
}

TEST_F(RegisterExportsTest, ModeZeroBatchWriteOfTwoRegisters) {
  uint8_t addresses[8] = {0x00, 0x01, 0x00, 0x02, 0x04, 0x01, 0x00, 0x02};
  uint8_t data[4] = {0x34, 0x12, 0x78, 0x56};
  MmioBatch batch{};
  batch.count = 2;
  batch.addressWidth = 4;
  batch.dataWidth = 2;
  batch.addresses = addresses;
  batch.data = data;
  ASSERT_EQ(ZelBatchMmioWrite(&batch), ZEL_OK);
  EXPECT_EQ(TraceOf("SET"), std::vector<std::string>{"SET 0 2 64 " +
                                                     Payload("030207" "00010002" "3412"
                                                             "04010002" "7856") +
                                                     " 00000000"});
  int value = 0;
  ASSERT_EQ(ZelMmioRead(0x02000100, &value), ZEL_OK);
  EXPECT_EQ(value, 0x1234);
  ASSERT_EQ(ZelMmioRead(0x02000104, &value), ZEL_OK);
  EXPECT_EQ(value, 0x5678);
}

TEST_F(RegisterExportsTest, ConsecutiveBatchReadOfThreeValues) {
  ASSERT_EQ(ZelMmioWrite(0x02000020, 0x11111111), ZEL_OK);
  ASSERT_EQ(ZelMmioWrite(0x02000024, 0x22222222), ZEL_OK);
  ASSERT_EQ(ZelMmioWrite(0x02000028, 0x33333333), ZEL_OK);
  uint8_t address[4] = {0x20, 0x00, 0x00, 0x02};
  uint8_t data[12] = {0xAB, 0xCD, 0xEF, 0x01};
  MmioBatch batch{};
  batch.count = 3;
  batch.addressWidth = 4;
  batch.dataWidth = 4;
  batch.mode = 0x80;
  batch.addresses = address;
  batch.data = data;
  ASSERT_EQ(ZelBatchMmioRead(&batch), ZEL_OK);
  const std::vector<std::string> sets = TraceOf("SET");
  ASSERT_EQ(sets.size(), 4u);
  EXPECT_EQ(sets[3], "SET 0 2 64 " + Payload("02038f" "20000002" "abcdef01") + " 00000000");
  EXPECT_EQ(TraceOf("GET").back(),
            "GET 0 2 64 " +
                Payload("02038f" "20000002" "11111111" "22222222" "33333333") + " 00000000");
  for (int i = 0; i < 12; ++i) EXPECT_EQ(data[i], 0x11 * (i / 4 + 1)) << i;
}

TEST_F(RegisterExportsTest, UncheckedModeGoesOutForOneRegisterOnly) {
  uint8_t address[4] = {0x00, 0x00, 0x00, 0x02};
  uint8_t data[8] = {1, 0, 0, 0, 2, 0, 0, 0};
  MmioBatch batch{};
  batch.count = 1;
  batch.addressWidth = 4;
  batch.dataWidth = 4;
  batch.mode = 5;
  batch.addresses = address;
  batch.data = data;
  ASSERT_EQ(ZelBatchMmioWrite(&batch), ZEL_OK);
  EXPECT_EQ(TraceOf("SET"), std::vector<std::string>{"SET 0 2 64 " +
                                                     Payload("03010f" "00000002" "01000000") +
                                                     " 00000000"});
  batch.count = 2;
  EXPECT_EQ(ZelBatchMmioWrite(&batch), ZEL_E_DEVICE);
  EXPECT_EQ(ZelBatchMmioRead(&batch), ZEL_E_DEVICE);
  EXPECT_EQ(Trace().size(), 2u);
  EXPECT_TRUE(LibraryLockIsFree());
}

TEST_F(RegisterExportsTest, OversizedBatchIsRefusedBeforeTraffic) {
  uint8_t addresses[32] = {};
  uint8_t data[32] = {};
  MmioBatch batch{};
  batch.count = 8;
  batch.addressWidth = 4;
  batch.dataWidth = 4;
  batch.addresses = addresses;
  batch.data = data;
  EXPECT_EQ(ZelBatchMmioWrite(&batch), ZEL_E_INVALID_ARG);
  EXPECT_EQ(ZelBatchMmioRead(&batch), ZEL_E_INVALID_ARG);
  EXPECT_EQ(ZelBatchMmioWrite(nullptr), ZEL_E_INVALID_ARG);
  EXPECT_EQ(ZelBatchMmioRead(nullptr), ZEL_E_INVALID_ARG);
  EXPECT_TRUE(Trace().empty());
  EXPECT_TRUE(LibraryLockIsFree());
}

TEST_F(RegisterExportsTest, RawBatchPayloadsTravelUnchanged) {
  unsigned char raw[64] = {0x01, 0x30, 0x00, 0x00, 0x02, 0xEF, 0xBE, 0xAD, 0xDE};
  ASSERT_EQ(ZelBatchMmioWriteEx(raw), ZEL_OK);
  unsigned char read[64] = {0x00, 0x30, 0x00, 0x00, 0x02};
  ASSERT_EQ(ZelBatchMmioReadEx(read), ZEL_OK);
  EXPECT_EQ(read[5], 0xEF);
  EXPECT_EQ(read[8], 0xDE);
  EXPECT_EQ(ZelBatchMmioWriteEx(nullptr), ZEL_E_INVALID_ARG);
  EXPECT_EQ(ZelBatchMmioReadEx(nullptr), ZEL_E_INVALID_ARG);
  EXPECT_EQ(TraceOf("SET")[0], "SET 0 2 64 " + Payload("013000000" "2efbeadde") + " 00000000");
}

TEST_F(RegisterExportsTest, UnknownCommandIsRefusedByTheDeviceAsInvalid) {
  unsigned char raw[64] = {0x07};
  EXPECT_EQ(ZelBatchMmioWriteEx(raw), ZEL_E_INVALID_ARG);
  EXPECT_EQ(TraceOf("SET")[0], "SET 0 2 64 " + Payload("07") + " 80070057");
}

struct FailureCase {
  const char* keys;
  int result;
};

class RegisterFailureTest : public SimWorldTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RegisterFailureTest, FailuresAreMappedAndOutputsStayUntouched) {
  UseWorld(CameraSection(1, kZelPath, GetParam().keys));
  int value = 77;
  EXPECT_EQ(ZelMmioRead(0x06000000, &value), GetParam().result);
  EXPECT_EQ(value, 77);
  unsigned char raw[64] = {0x00, 0x00, 0x00, 0x00, 0x06, 0x55};
  EXPECT_EQ(ZelBatchMmioReadEx(raw), GetParam().result);
  EXPECT_EQ(raw[5], 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegisterFailureTest,
    ::testing::Values(FailureCase{"Fail0.2=0x80070057", ZEL_E_INVALID_ARG},
                      FailureCase{"FailSet0.2=0x80070490", ZEL_E_NOT_FOUND},
                      FailureCase{"FailGet0.2=0x8007048F", ZEL_E_UNREACHABLE},
                      FailureCase{"FailGet0.2=0x80070005", ZEL_E_DEVICE},
                      FailureCase{"BusyProbes=22", ZEL_E_NOT_READY},
                      FailureCase{"UnplugAfter=1", ZEL_E_UNREACHABLE},
                      FailureCase{"NoExtensionUnit=1", ZEL_E_UNREACHABLE}));

TEST_F(SimWorldTest, AFailedRequestSkipsItsRead) {
  UseWorld(CameraSection(1, kZelPath, "FailSet0.2=0x80070490"));
  int value = 0;
  EXPECT_EQ(ZelMmioRead(0, &value), ZEL_E_NOT_FOUND);
  EXPECT_TRUE(TraceOf("GET").empty());
}

}  // namespace
}  // namespace tandrel::testing
