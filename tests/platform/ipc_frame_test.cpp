#include <gtest/gtest.h>

#include <vector>

#include "platform/ipc/ipc_frame.h"
#include "platform/ipc/window_message.h"

namespace zt640::platform {
namespace {

TEST(IpcFrame_Encode, NamedPostHasExactBytes) {
  IpcFrame frame;
  frame.kind = IpcFrameKind::kPost;
  frame.name = "Go";
  frame.wparam = 0x0102;
  frame.lparam = -1;
  const auto bytes = EncodeIpcFrame(frame);
  ASSERT_TRUE(bytes);
  const std::vector<std::uint8_t> expected = {
      0x5A, 0x54, 0x4D, 0x31, 0x01, 0x00, 0x02, 0x00,  // magic, version 1, post, flags
      0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // no number, name length 2
      0x02, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // wparam
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // lparam -1
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // no payload
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // copy-data kind
      'G',  'o'};
  EXPECT_EQ(*bytes, expected);
}

TEST(IpcFrame_Decode, CopyDataRoundTrips) {
  IpcFrame frame;
  frame.kind = IpcFrameKind::kSend;
  frame.message = kWmCopyData;
  frame.copy_data_kind = 2;
  frame.payload = {1, 2, 3, 4, 5};
  const auto bytes = EncodeIpcFrame(frame);
  ASSERT_TRUE(bytes);
  const auto decoded = DecodeIpcFrame(*bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->message, kWmCopyData);
  EXPECT_EQ(decoded->copy_data_kind, 2u);
  EXPECT_EQ(decoded->payload, frame.payload);
}

std::vector<std::uint8_t> ValidPost() {
  IpcFrame frame;
  frame.name = "Go";
  return *EncodeIpcFrame(frame);
}

struct Corruption {
  const char* what;
  std::size_t offset;
  std::uint8_t value;
};

class IpcFrame_Malformed : public testing::TestWithParam<Corruption> {};

TEST_P(IpcFrame_Malformed, IsRejectedWithAReason) {
  std::vector<std::uint8_t> bytes = ValidPost();
  bytes[GetParam().offset] = GetParam().value;
  std::string reason;
  EXPECT_FALSE(DecodeIpcFrame(bytes, &reason)) << GetParam().what;
  EXPECT_FALSE(reason.empty());
}

INSTANTIATE_TEST_SUITE_P(Fields, IpcFrame_Malformed,
                         testing::Values(Corruption{"magic", 0, 0x00}, Corruption{"version", 4, 0x02},
                                         Corruption{"kind", 6, 0x09}, Corruption{"flags", 7, 0x01},
                                         Corruption{"number and name", 8, 0x10},
                                         Corruption{"name length beyond body", 12, 0x05},
                                         Corruption{"payload on a post", 32, 0x01},
                                         Corruption{"reserved", 36, 0x01}));

TEST(IpcFrame_Decode, OversizedPayloadIsRefusedFromTheHeaderAlone) {
  IpcFrame frame;
  frame.kind = IpcFrameKind::kSend;
  frame.message = kWmCopyData;
  frame.payload = {1};
  std::vector<std::uint8_t> bytes = *EncodeIpcFrame(frame);
  const std::uint32_t huge = kMaxCopyDataBytes + 1;
  for (int i = 0; i < 4; ++i) bytes[ipc_frame_layout::kPayloadLengthOffset + i] = static_cast<std::uint8_t>(huge >> (8 * i));
  std::string reason;
  EXPECT_FALSE(DecodeIpcFrameHeader(std::span(bytes).first(ipc_frame_layout::kHeaderSize), &reason));
  EXPECT_EQ(reason, "copy-data block too large");
}

TEST(IpcFrame_Encode, RefusesRegisteredIdsByNumberAndTrailingBytesFailDecode) {
  IpcFrame frame;
  frame.message = kFirstRegisteredMessage;
  EXPECT_FALSE(EncodeIpcFrame(frame));
  std::vector<std::uint8_t> bytes = ValidPost();
  bytes.push_back(0);
  EXPECT_FALSE(DecodeIpcFrame(bytes));
}

}  // namespace
}  // namespace zt640::platform
