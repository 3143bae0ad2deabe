#include "devsim/devsim_server.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "devsim/descriptors.h"
#include "devsim/keyboard_factory_image.h"
#include "packet_builder.h"
#include "sim_client.h"
#include "temp_root.h"

namespace zt640::devsim {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Request;
using test::SimClient;
using test::TempRoot;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsSocket(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

class DevsimServerTest : public ::testing::Test {
 protected:
  DevsimConfig Config() {
    DevsimConfig config;
    config.root = root_.Path() / "sim";
    return config;
  }

  void Start(DevsimConfig config) {
    server_ = std::make_unique<DevsimServer>(std::move(config));
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
  }

  std::string Node(SimDeviceId device = SimDeviceId::kKeyboard, uint8_t interface = 1) {
    return server_->NodePath(device, interface);
  }

  fs::path Sim() const { return root_.Path() / "sim"; }

  TempRoot root_;
  std::unique_ptr<DevsimServer> server_;
};

TEST_F(DevsimServerTest, Tree_LaidOutAsSysfs) {
  Start(Config());
  const fs::path class_link = Sim() / "sys/class/hidraw/hidraw1";
  ASSERT_TRUE(fs::is_symlink(class_link));
  EXPECT_EQ(fs::read_symlink(class_link),
            "../../devices/zt640sim/usb1/1-1/1-1:1.1/0003:320F:505B.0002/hidraw/hidraw1");
  EXPECT_EQ(fs::read_symlink(class_link / "device"), "../..");
  const fs::path hid = fs::canonical(class_link / "device");
  EXPECT_EQ(hid, fs::canonical(Sim()) / "sys/devices/zt640sim/usb1/1-1/1-1:1.1/0003:320F:505B.0002");

  const std::string uevent = ReadText(hid / "uevent");
  EXPECT_NE(uevent.find("HID_ID=0003:0000320F:0000505B\n"), std::string::npos);
  EXPECT_NE(uevent.find("HID_PHYS=usb-zt640sim-1/input1\n"), std::string::npos);
  EXPECT_NE(uevent.find("HID_NAME="), std::string::npos);
  const std::string descriptor = ReadText(hid / "report_descriptor");
  EXPECT_EQ(std::vector<uint8_t>(descriptor.begin(), descriptor.end()),
            Descriptors::FourCollections());
  EXPECT_EQ(ReadText(hid.parent_path() / "bInterfaceNumber"), "01\n");
  const fs::path usb = hid.parent_path().parent_path();
  EXPECT_EQ(ReadText(usb / "idVendor"), "320f\n");
  EXPECT_EQ(ReadText(usb / "idProduct"), "505b\n");
  EXPECT_EQ(ReadText(usb / "bcdDevice"), "0103\n");
  EXPECT_EQ(ReadText(usb / "bNumInterfaces"), " 2\n");

  const fs::path boot = fs::canonical(Sim() / "sys/class/hidraw/hidraw0/device");
  EXPECT_EQ(ReadText(boot.parent_path() / "bInterfaceNumber"), "00\n");
  const std::string boot_descriptor = ReadText(boot / "report_descriptor");
  EXPECT_EQ(std::vector<uint8_t>(boot_descriptor.begin(), boot_descriptor.end()),
            Descriptors::BootKeyboard());
  EXPECT_TRUE(IsSocket(Sim() / "dev/hidraw0"));
  EXPECT_TRUE(IsSocket(Sim() / "dev/hidraw1"));
  EXPECT_EQ(Node(), (fs::absolute(Sim()) / "dev/hidraw1").string());
}

TEST_F(DevsimServerTest, Tree_IdentityFromConfig) {
  DevsimConfig config = Config();
  config.keyboard = {0x1234, 0xABCD, 0x0200};
  Start(config);
  const fs::path usb = fs::canonical(Sim() / "sys/class/hidraw/hidraw0/device/../..");
  EXPECT_EQ(ReadText(usb / "idVendor"), "1234\n");
  EXPECT_EQ(ReadText(usb / "idProduct"), "abcd\n");
  EXPECT_EQ(ReadText(usb / "bcdDevice"), "0200\n");
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kDeviceInfo)[2], 0x02);
}

TEST_F(DevsimServerTest, Stop_RemovesEverythingItCreated) {
  Start(Config());
  SimClient client(Node());
  ASSERT_TRUE(client.Connected());
  server_->Stop();
  EXPECT_FALSE(fs::exists(Sim()));
  EXPECT_EQ(client.Receive(), std::vector<uint8_t>{}) << "clients see end of stream";
}

TEST_F(DevsimServerTest, Stop_LeavesForeignFilesAndTakesFreeNumbers) {
  fs::create_directories(Sim() / "dev");
  std::ofstream(Sim() / "dev/hidraw0") << "someone else's";
  Start(Config());
  EXPECT_EQ(Node(SimDeviceId::kKeyboard, 0), (fs::absolute(Sim()) / "dev/hidraw1").string());
  EXPECT_EQ(Node(), (fs::absolute(Sim()) / "dev/hidraw2").string());
  server_->Stop();
  EXPECT_EQ(ReadText(Sim() / "dev/hidraw0"), "someone else's");
  EXPECT_FALSE(fs::exists(Sim() / "sys"));
  EXPECT_FALSE(fs::exists(Sim() / "dev/hidraw1"));
}

TEST_F(DevsimServerTest, Start_FailsCleanlyWhenRootUnusable) {
  std::ofstream(root_.Path() / "file") << "x";
  DevsimConfig config;
  config.root = root_.Path() / "file";
  DevsimServer server(config);
  std::string error;
  EXPECT_FALSE(server.Start(&error));
  EXPECT_FALSE(error.empty());
}

TEST_F(DevsimServerTest, Reply_GoesToEveryClient) {
  Start(Config());
  SimClient a(Node());
  SimClient b(Node());
  ASSERT_TRUE(a.Connected() && b.Connected());
  ASSERT_TRUE(a.Send(Bytes(Request(0x03, 24, 0))));
  const auto reply_a = a.Receive();
  const auto reply_b = b.Receive();
  ASSERT_TRUE(reply_a && reply_b);
  EXPECT_EQ(*reply_a, *reply_b);
  ASSERT_EQ(reply_a->size(), 64u);
  EXPECT_EQ((*reply_a)[0], 0x04);
  EXPECT_EQ((*reply_a)[3], 0x03);
  EXPECT_EQ((*reply_a)[8 + 5], KeyboardFactoryImage::kKeyCount);
}

TEST_F(DevsimServerTest, ShortRequestPaddedOversizedAndOtherReportsIgnored) {
  Start(Config());
  SimClient client(Node());
  auto request = Bytes(Request(0x01));
  request.resize(8);
  ASSERT_TRUE(client.Send(request));
  const auto reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[7], 0x00);

  auto oversized = Bytes(Request(0x01));
  oversized.push_back(0);
  ASSERT_TRUE(client.Send(oversized));
  ASSERT_TRUE(client.Send({0x03, 0x01, 0x00}));
  EXPECT_FALSE(client.Receive(200));

  SimClient boot(Node(SimDeviceId::kKeyboard, 0));
  ASSERT_TRUE(boot.Send({0x00, 0x02}));  // caps-lock LED
  EXPECT_FALSE(boot.Receive(200));
  EXPECT_EQ(server_->RequestCount(), 1u);
}

TEST_F(DevsimServerTest, Log_OneHexLinePerRequest) {
  DevsimConfig config = Config();
  config.log_file = root_.Path() / "requests.log";
  Start(config);
  SimClient client(Node());
  ASSERT_TRUE(client.Send(Bytes(Request(0x01))));
  ASSERT_TRUE(client.Receive());
  ASSERT_TRUE(client.Send(Bytes(Request(0x06, 2, 0x0123, {0xAB, 0x0C}))));
  ASSERT_TRUE(client.Receive());
  std::string expected_second = "04 e3 00 06 02 23 01 00 ab 0c";
  for (int i = 10; i < 64; ++i) expected_second += " 00";
  std::string expected_first = "04 01 00 01";
  for (int i = 4; i < 64; ++i) expected_first += " 00";
  EXPECT_EQ(ReadText(config.log_file), expected_first + "\n" + expected_second + "\n");
}

TEST_F(DevsimServerTest, UnplugAndPlug_HangUpRemoveAndRecreate) {
  Start(Config());
  const std::string node = Node();
  SimClient client(node);
  ASSERT_TRUE(server_->Unplug(SimDeviceId::kKeyboard));
  EXPECT_EQ(client.Receive(), std::vector<uint8_t>{});
  EXPECT_FALSE(fs::exists(node));
  EXPECT_FALSE(fs::exists(Sim() / "sys/class/hidraw/hidraw1"));
  EXPECT_FALSE(fs::exists(Sim() / "sys/devices/zt640sim/usb1/1-1"));
  EXPECT_TRUE(Node().empty());
  EXPECT_FALSE(server_->Unplug(SimDeviceId::kKeyboard));

  ASSERT_TRUE(server_->Plug(SimDeviceId::kKeyboard));
  EXPECT_EQ(Node(), node);
  EXPECT_TRUE(fs::exists(Sim() / "sys/devices/zt640sim/usb1/1-1/1-1:1.1/0003:320F:505B.0004"))
      << "a new plug numbers its HID devices anew";
  SimClient again(Node());
  ASSERT_TRUE(again.Send(Bytes(Request(0x01))));
  EXPECT_TRUE(again.Receive());
}

TEST_F(DevsimServerTest, State_PersistsAcrossClientsAndReplug) {
  Start(Config());
  {
    SimClient client(Node());
    ASSERT_TRUE(client.Send(Bytes(Request(0x01))));
    ASSERT_TRUE(client.Receive());
    ASSERT_TRUE(client.Send(Bytes(Request(0x15, 2, 0, {0xAA, 0x55}))));
    ASSERT_TRUE(client.Receive());
  }
  ASSERT_TRUE(server_->Unplug(SimDeviceId::kKeyboard));
  ASSERT_TRUE(server_->Plug(SimDeviceId::kKeyboard));
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kMacros)[0], 0xAA);
}

TEST_F(DevsimServerTest, Notification_SyncSlotAndKeysOnConsumerCollection) {
  Start(Config());
  SimClient client(Node());
  ASSERT_TRUE(client.Connected());
  // Wait until the server has accepted the connection.
  while (server_->ClientCount(SimDeviceId::kKeyboard, 1) == 0) std::this_thread::yield();
  ASSERT_TRUE(server_->SendNotification(0x0401));
  EXPECT_EQ(client.Receive(), (std::vector<uint8_t>{0x03, 0x01, 0x04}));
  ASSERT_TRUE(server_->SelectSlot(2));
  EXPECT_EQ(client.Receive(), (std::vector<uint8_t>{0x03, 0x02, 0x10}));
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kSettings)[0], 2);
  EXPECT_FALSE(server_->SelectSlot(9));
  ASSERT_TRUE(server_->KeyEvent(5, true));
  EXPECT_EQ(client.Receive(), (std::vector<uint8_t>{0x03, 0x05, 0x05}));
  ASSERT_TRUE(server_->KeyEvent(131, false));
  EXPECT_EQ(client.Receive(), (std::vector<uint8_t>{0x03, 0x83, 0x06}));
  EXPECT_FALSE(server_->KeyEvent(132, true));
}

struct FaultCase {
  const char* name;
  FaultKind kind;
  uint8_t status;
};

class DevsimFaultTest : public DevsimServerTest,
                        public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DevsimFaultTest, FaultAppliesToMatchingCommandForCountRequests) {
  DevsimConfig config = Config();
  config.fault.kind = GetParam().kind;
  config.fault.status = GetParam().status;
  config.fault.late_ms = 300;
  config.fault.command = 0x06;
  config.fault.count = 1;
  Start(config);
  SimClient client(Node());

  // Another command is not affected.
  ASSERT_TRUE(client.Send(Bytes(Request(0x01))));
  auto reply = client.Receive(250);
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[3], 0x01);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(client.Send(Bytes(Request(0x06, 1, 5, {0x77}))));
  reply = client.Receive(1000);
  const auto waited = std::chrono::steady_clock::now() - start;
  const uint8_t stored = server_->Keyboard().Area(KeyboardArea::kSettings)[5];
  switch (GetParam().kind) {
    case FaultKind::kSilent:
      EXPECT_FALSE(reply);
      EXPECT_NE(stored, 0x77) << "a lost request is not executed";
      break;
    case FaultKind::kStatus:
      ASSERT_TRUE(reply);
      EXPECT_EQ((*reply)[3], 0x06);
      EXPECT_EQ((*reply)[7], GetParam().status);
      EXPECT_NE(stored, 0x77) << "a refused request is not executed";
      break;
    case FaultKind::kWrongEcho:
      ASSERT_TRUE(reply);
      EXPECT_NE((*reply)[3], 0x06);
      EXPECT_NE((*reply)[3], 0xAA);
      EXPECT_EQ((*reply)[7], 0x00);
      EXPECT_EQ(stored, 0x77);
      break;
    case FaultKind::kLate:
      ASSERT_TRUE(reply);
      EXPECT_EQ((*reply)[3], 0x06);
      EXPECT_GE(waited, std::chrono::milliseconds(300));
      EXPECT_EQ(stored, 0x77);
      break;
    case FaultKind::kNone:
      break;
  }
  if (reply) {
    EXPECT_TRUE(DevicePacket(*reply).ChecksumValid());
  }

  // The count is used up: the next matching request is answered normally.
  ASSERT_TRUE(client.Send(Bytes(Request(0x06, 1, 6, {0x78}))));
  reply = client.Receive(250);
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[3], 0x06);
  EXPECT_EQ((*reply)[7], 0x00);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DevsimFaultTest,
    ::testing::Values(FaultCase{"Silent", FaultKind::kSilent, 0},
                      FaultCase{"StatusFf", FaultKind::kStatus, 0xFF},
                      FaultCase{"StatusFe", FaultKind::kStatus, 0xFE},
                      FaultCase{"WrongEcho", FaultKind::kWrongEcho, 0},
                      FaultCase{"Late", FaultKind::kLate, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DevsimServerTest, Fault_SetAtRunTimeWithoutCountAppliesToAll) {
  Start(Config());
  FaultSettings fault;
  fault.kind = FaultKind::kStatus;
  fault.status = 0xFE;
  server_->SetFault(fault);
  SimClient client(Node());
  for (uint8_t command : {0x01, 0x03, 0x02}) {
    ASSERT_TRUE(client.Send(Bytes(Request(command))));
    const auto reply = client.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0xFE);
  }
}

TEST_F(DevsimServerTest, UnplugAfter_AnswersNthThenGoes) {
  DevsimConfig config = Config();
  config.fault.unplug_after = 3;
  Start(config);
  SimClient client(Node());
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(client.Send(Bytes(Request(0x03, 24, 0))));
    const auto reply = client.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), 64u) << "request " << i;
  }
  EXPECT_EQ(client.Receive(), std::vector<uint8_t>{});
  EXPECT_FALSE(server_->Plugged(SimDeviceId::kKeyboard));
  EXPECT_FALSE(fs::exists(Sim() / "dev/hidraw1"));
  ASSERT_TRUE(server_->Plug(SimDeviceId::kKeyboard));
  SimClient again(Node());
  ASSERT_TRUE(again.Send(Bytes(Request(0x01))));
  EXPECT_TRUE(again.Receive()) << "the unplug happens once";
}

class DevsimReceiverTest : public DevsimServerTest {
 protected:
  void SetUp() override {
    DevsimConfig config = Config();
    config.with_receiver = true;
    Start(config);
  }
};

TEST_F(DevsimReceiverTest, Tree_ReceiverHasOwnIdentityAndPort) {
  const std::string node = Node(SimDeviceId::kReceiver);
  ASSERT_FALSE(node.empty());
  const std::string name = fs::path(node).filename();
  const fs::path usb = fs::canonical(Sim() / "sys/class/hidraw" / name / "device/../..");
  EXPECT_EQ(usb.filename(), "1-2");
  EXPECT_EQ(ReadText(usb / "idVendor"), "320f\n");
  EXPECT_EQ(ReadText(usb / "idProduct"), "5089\n");
}

TEST_F(DevsimReceiverTest, Requests_ForwardedToKeyboard) {
  SimClient client(Node(SimDeviceId::kReceiver));
  ASSERT_TRUE(client.Send(Bytes(Request(0x0B, 3, 0, {9, 8, 7}))));
  const auto reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[3], 0x0B);
  EXPECT_EQ((*reply)[7], 0x00);
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kColourPages)[1], 8);
}

TEST_F(DevsimReceiverTest, Requests_MoreThan24DataBytesRefusedByTheReceiver) {
  SimClient client(Node(SimDeviceId::kReceiver));
  SimClient cable(Node());
  const std::vector<uint8_t> colours(25, 0x5A);
  const auto status_of = [](SimClient& via, const DevicePacket& request) -> int {
    if (!via.Send(Bytes(request))) return -1;
    const auto reply = via.Receive();
    return reply && reply->size() > 7 ? (*reply)[7] : -1;
  };
  EXPECT_EQ(status_of(client, Request(0x0B, 25, 0, colours)), 0xFF);
  EXPECT_EQ(status_of(client, Request(0x07, 25, 0)), 0xFF);
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kColourPages)[0],
            server_->Keyboard().FactoryArea(KeyboardArea::kColourPages)[0])
      << "a refused packet never reaches the keyboard";
  EXPECT_EQ(status_of(client, Request(0x0B, 24, 0, colours)), 0x00);
  EXPECT_EQ(status_of(client, Request(0x07, 24, 0)), 0x00);
  EXPECT_EQ(status_of(cable, Request(0x0B, 25, 0, colours)), 0x00) << "the cable carries 56";
  EXPECT_EQ(server_->Keyboard().Area(KeyboardArea::kColourPages)[24], 0x5A);
}

TEST_F(DevsimReceiverTest, LinkQuery_AnswersByPower) {
  SimClient client(Node(SimDeviceId::kReceiver));
  ASSERT_TRUE(client.Send(Bytes(Request(0xAA))));
  auto reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(*reply, test::Padded({0x04, 0xA9, 0x01, 0xAA, 0, 0, 0, 0, 0xFF}));

  server_->SetKeyboardPowered(false);
  ASSERT_TRUE(client.Send(Bytes(Request(0xAA))));
  reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ(*reply, test::Padded({0x04, 0xAA, 0x00, 0xAA}));

  ASSERT_TRUE(client.Send(Bytes(Request(0x03, 24, 0))));
  reply = client.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[3], 0xAA) << "the receiver answers for a switched-off keyboard";
  EXPECT_EQ((*reply)[8], 0x00);

  SimClient cable(Node());
  ASSERT_TRUE(cable.Send(Bytes(Request(0x03, 24, 0))));
  reply = cable.Receive();
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[3], 0x03) << "the cable still reaches it";
}

TEST_F(DevsimReceiverTest, Notification_ThroughReceiverWhenCableUnplugged) {
  ASSERT_TRUE(server_->Unplug(SimDeviceId::kKeyboard));
  SimClient client(Node(SimDeviceId::kReceiver));
  while (server_->ClientCount(SimDeviceId::kReceiver, 1) == 0) std::this_thread::yield();
  ASSERT_TRUE(server_->SendNotification(0x0402));
  EXPECT_EQ(client.Receive(), (std::vector<uint8_t>{0x03, 0x02, 0x04}));
  server_->SetKeyboardPowered(false);
  EXPECT_FALSE(server_->SendNotification(0x0402));
}

}  // namespace
}  // namespace zt640::devsim
