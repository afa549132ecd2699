#include "flash/mmio_batch.h"

#include <gtest/gtest.h>

namespace tandrel {
namespace {

MmioBatch Batch(uint8_t count, uint8_t addressWidth, uint8_t dataWidth, int32_t mode,
                uint8_t* addresses, uint8_t* data) {
  MmioBatch batch{};
  batch.count = count;
  batch.addressWidth = addressWidth;
  batch.dataWidth = dataWidth;
  batch.mode = mode;
  batch.addresses = addresses;
  batch.data = data;
  return batch;
}

struct RefusalCase {
  uint8_t count;
  uint8_t addressWidth;
  uint8_t dataWidth;
  int32_t mode;
  int result;
};

class BatchRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BatchRefusalTest, RefusedOrAccepted) {
  uint8_t addresses[64 * 4] = {};
  uint8_t data[64 * 4] = {};
  const RefusalCase& c = GetParam();
  XuPayload payload{};
  EXPECT_EQ(BuildBatchRequest(Batch(c.count, c.addressWidth, c.dataWidth, c.mode, addresses, data),
                              kBatchWriteCommand, payload),
            c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchRefusalTest,
    ::testing::Values(RefusalCase{0, 4, 4, 0, ZEL_E_INVALID_ARG},
                      RefusalCase{1, 0, 4, 0, ZEL_E_INVALID_ARG},
                      RefusalCase{1, 5, 4, 0, ZEL_E_INVALID_ARG},
                      RefusalCase{1, 4, 0, 0, ZEL_E_INVALID_ARG},
                      RefusalCase{1, 4, 5, 0, ZEL_E_INVALID_ARG},
                      RefusalCase{7, 4, 4, 0, ZEL_OK},              // 3 + 7 x 8 = 59
                      RefusalCase{8, 4, 4, 0, ZEL_E_INVALID_ARG},   // 67
                      RefusalCase{14, 4, 4, 0x80, ZEL_OK},          // 3 + 4 + 56 = 63
                      RefusalCase{15, 4, 4, 0x80, ZEL_E_INVALID_ARG},
                      RefusalCase{60, 1, 1, 0x80, ZEL_OK},          // 3 + 1 + 60 = 64
                      RefusalCase{61, 1, 1, 0x80, ZEL_E_INVALID_ARG},
                      RefusalCase{1, 4, 4, 5, ZEL_OK},              // one register: mode unchecked
                      RefusalCase{2, 4, 4, 5, ZEL_E_DEVICE},
                      RefusalCase{2, 4, 4, 0x180, ZEL_E_DEVICE}));

TEST(MmioBatchTest, NullArraysAreRefused) {
  uint8_t bytes[8] = {};
  XuPayload payload{};
  EXPECT_EQ(BuildBatchRequest(Batch(1, 4, 4, 0, nullptr, bytes), kBatchWriteCommand, payload),
            ZEL_E_INVALID_ARG);
  EXPECT_EQ(BuildBatchRequest(Batch(1, 4, 4, 0, bytes, nullptr), kBatchWriteCommand, payload),
            ZEL_E_INVALID_ARG);
}

TEST(MmioBatchTest, FlagsAndModeJoinTheControlByte) {
  uint8_t addresses[2] = {0x10, 0x20};
  uint8_t data[4] = {1, 2, 3, 4};
  MmioBatch batch = Batch(2, 1, 2, 0, addresses, data);
  batch.flags1 = 0x110;
  batch.flags2 = 0x40;
  XuPayload payload{};
  ASSERT_EQ(BuildBatchRequest(batch, kBatchWriteCommand, payload), ZEL_OK);
  EXPECT_EQ(payload[2], 0x54);  // (2-1)<<2 | (1-1) | 0x10 | 0x40
  const uint8_t expected[] = {0x03, 2, 0x54, 0x10, 1, 2, 0x20, 3, 4, 0};
  for (size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(payload[i], expected[i]) << i;
}

TEST(MmioBatchTest, ReadRequestCarriesTheFirstValueOnlyAndRepliesFillEverySlot) {
  uint8_t addresses[4] = {0xAA, 0xBB};
  uint8_t data[4] = {0x11, 0x22, 0x33, 0x44};
  const MmioBatch batch = Batch(2, 2, 2, 0, addresses, data);
  XuPayload payload{};
  ASSERT_EQ(BuildBatchRequest(batch, kBatchReadCommand, payload), ZEL_OK);
  const uint8_t expected[] = {0x02, 2, 0x05, 0xAA, 0xBB, 0x11, 0x22, 0, 0, 0, 0, 0};
  for (size_t i = 0; i < sizeof expected; ++i) EXPECT_EQ(payload[i], expected[i]) << i;

  XuPayload reply = payload;
  reply[5] = 0x01;
  reply[6] = 0x02;
  reply[9] = 0x03;
  reply[10] = 0x04;
  StoreBatchValues(batch, reply);
  EXPECT_EQ(data[0], 0x01);
  EXPECT_EQ(data[1], 0x02);
  EXPECT_EQ(data[2], 0x03);
  EXPECT_EQ(data[3], 0x04);
}

}  // namespace
}  // namespace tandrel
