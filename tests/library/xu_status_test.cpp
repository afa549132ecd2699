#include "transport/xu_status.h"

#include <gtest/gtest.h>

#include "tandrel.h"

namespace tandrel {
namespace {

struct StatusCase {
  uint32_t status;
  int result;
};

class MapXuStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(MapXuStatusTest, OnlyTheLowBitsDecide) {
  EXPECT_EQ(MapXuStatus(GetParam().status), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MapXuStatusTest,
    ::testing::Values(StatusCase{0x80070057, ZEL_E_INVALID_ARG}, StatusCase{0x00000057, ZEL_E_INVALID_ARG},
                      StatusCase{0xDEAD0057, ZEL_E_INVALID_ARG}, StatusCase{0x80070015, ZEL_E_NOT_READY},
                      StatusCase{0x12340015, ZEL_E_NOT_READY}, StatusCase{0x80070490, ZEL_E_NOT_FOUND},
                      StatusCase{0x8007048F, ZEL_E_UNREACHABLE}, StatusCase{0xFFFF048F, ZEL_E_UNREACHABLE},
                      StatusCase{0x8007001F, ZEL_E_DEVICE}, StatusCase{0x800700EA, ZEL_E_DEVICE},
                      StatusCase{0x80004002, ZEL_E_DEVICE}, StatusCase{0x00570000, ZEL_E_DEVICE},
                      StatusCase{0, ZEL_E_DEVICE}));

}  // namespace
}  // namespace tandrel
