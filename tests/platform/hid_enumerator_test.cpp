#include <gtest/gtest.h>

#include "platform/hid/hidraw_enumerator.h"
#include "platform/hid_fake_sysfs.h"

namespace zt640::platform {
namespace {

using zt640::test::FakeHidTree;
using zt640::test::HexBytes;

const char kMouse[] = "05 01 09 02 a1 01 09 30 75 08 95 01 81 02 c0";
const char kThreeCollections[] =
    "05 01 09 06 a1 01 85 01 09 01 75 08 95 01 81 02 c0 "
    "05 0c 09 01 a1 01 85 02 09 e9 81 02 c0 "
    "06 00 ff 09 01 a1 01 85 04 09 02 95 3f 81 02 09 03 91 02 c0";

std::vector<std::string> Paths(const std::vector<HidrawNode>& nodes) {
  std::vector<std::string> paths;
  for (const HidrawNode& node : nodes) {
    for (size_t i = 0; i < node.collections.size(); ++i) paths.push_back(node.InterfacePath(i));
  }
  return paths;
}

TEST(HidrawEnumerator, NoHidrawClass_IsEmptySuccess) {
  FakeHidTree tree;
  std::vector<HidrawNode> nodes(1);
  EXPECT_TRUE(HidrawEnumerator::Enumerate(tree.root(), &nodes));
  EXPECT_TRUE(nodes.empty());
}

TEST(HidrawEnumerator, Nodes_GiveWindowsShapedPathsInNodeOrder) {
  FakeHidTree tree;
  tree.AddNode({.number = 10, .vendor_id = 0x320f, .product_id = 0x505b,
                .descriptor = HexBytes(kThreeCollections), .interface_number = 1,
                .interface_count = 2, .bcd_device = 0x0204});
  tree.AddNode({.number = 2, .vendor_id = 0x1A2B, .product_id = 0x00C3,
                .descriptor = HexBytes(kMouse)});
  tree.AddNode({.number = 3, .vendor_id = 0x046d, .product_id = 0xb01a,
                .descriptor = HexBytes(kMouse), .usb = false});
  std::vector<HidrawNode> nodes;
  ASSERT_TRUE(HidrawEnumerator::Enumerate(tree.root(), &nodes));
  const std::string dev = tree.root() + "/dev/";
  EXPECT_EQ(Paths(nodes), (std::vector<std::string>{
                              dev + "hidraw2#vid_1a2b&pid_00c3",
                              dev + "hidraw3#vid_046d&pid_b01a",
                              dev + "hidraw10#vid_320f&pid_505b&mi_01&col01",
                              dev + "hidraw10#vid_320f&pid_505b&mi_01&col02",
                              dev + "hidraw10#vid_320f&pid_505b&mi_01&col03",
                          }));
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].version, 0x0103);
  EXPECT_EQ(nodes[1].version, 0);  // no USB parent
  EXPECT_FALSE(nodes[1].interface_number.has_value());
  EXPECT_EQ(nodes[2].version, 0x0204);
  EXPECT_EQ(nodes[2].collections[2].caps.usage_page, 0xff00);
}

TEST(HidrawEnumerator, TenthCollection_IsCol0a) {
  std::string hex;
  for (int i = 0; i < 10; ++i) hex += "05 01 09 02 a1 01 85 0" + std::to_string(i + 1) + " c0 ";
  FakeHidTree tree;
  tree.AddNode({.number = 0, .descriptor = HexBytes(hex)});
  std::vector<HidrawNode> nodes;
  ASSERT_TRUE(HidrawEnumerator::Enumerate(tree.root(), &nodes));
  ASSERT_EQ(nodes.size(), 1u);
  ASSERT_EQ(nodes[0].collections.size(), 10u);
  EXPECT_EQ(nodes[0].InterfacePath(9), tree.root() + "/dev/hidraw0#vid_320f&pid_505b&col0a");
}

TEST(HidrawEnumerator, OddNodes_AreSkipped) {
  FakeHidTree tree;
  tree.AddNode({.number = 0, .descriptor = HexBytes(kMouse)});
  tree.AddNode({.number = 1, .descriptor = HexBytes("05 01 09 02 a1 01")});  // unclosed
  tree.AddNode({.number = 2, .descriptor = HexBytes(kMouse)});
  tree.AddNode({.number = 3, .descriptor = HexBytes(kMouse)});
  tree.AddNode({.number = 4, .descriptor = HexBytes(kMouse), .interface_number = 1,
                .interface_count = 2});
  // hidraw2: no HID_ID; hidraw3: no descriptor file; hidraw4: garbage bNumInterfaces
  // (still listed, without "&mi_").
  tree.Write("sys/class/hidraw/hidraw2/device/uevent", "HID_NAME=x\n");
  std::filesystem::remove(tree.HidFolder(3) + "/report_descriptor");
  tree.Write("sys/devices/fake/usb1/1-5/bNumInterfaces", "two\n");
  std::filesystem::create_directories(tree.root() + "/sys/class/hidraw/hidrawX");
  std::vector<HidrawNode> nodes;
  ASSERT_TRUE(HidrawEnumerator::Enumerate(tree.root(), &nodes));
  std::vector<std::string> names;
  for (const HidrawNode& node : nodes) names.push_back(node.name);
  EXPECT_EQ(names, (std::vector<std::string>{"hidraw0", "hidraw4"}));
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_FALSE(nodes[1].interface_number.has_value());
}

TEST(HidrawEnumerator, SplitInterfacePath_FindsRootAndNode) {
  std::string root;
  std::string name;
  ASSERT_TRUE(HidrawEnumerator::SplitInterfacePath("/dev/hidraw5#vid_1&pid_2", &root, &name));
  EXPECT_EQ(root, "/");
  EXPECT_EQ(name, "hidraw5");
  ASSERT_TRUE(HidrawEnumerator::SplitInterfacePath("/tmp/x/dev/hidraw12", &root, &name));
  EXPECT_EQ(root, "/tmp/x");
  EXPECT_EQ(name, "hidraw12");
  EXPECT_FALSE(HidrawEnumerator::SplitInterfacePath("/tmp/xdev/hidraw1#a", &root, &name));
  EXPECT_FALSE(HidrawEnumerator::SplitInterfacePath("/dev/input5", &root, &name));
  EXPECT_FALSE(HidrawEnumerator::SplitInterfacePath("hidraw1", &root, &name));
}

}  // namespace
}  // namespace zt640::platform
