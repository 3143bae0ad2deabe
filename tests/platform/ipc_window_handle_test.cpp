#include "platform/ipc/window_handle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ipc/message_queue.h"
#include "platform/ipc/window_endpoint.h"

namespace zt640::platform {
namespace {

TEST(WindowHandle, HandleFindsItsOwnWindowOnlyWhileItListens) {
  char pattern[] = "/tmp/zt640-handle-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  MessageQueue queue;
  auto first = std::make_unique<WindowEndpoint>(queue);
  WindowEndpoint second(queue);
  ASSERT_EQ(first->Open(folder, "MainWnd", "one"), EndpointResult::kOk);
  ASSERT_EQ(second.Open(folder, "MainWnd", "two"), EndpointResult::kOk);
  const IpcClient client(folder);
  const std::uint64_t first_handle = WindowHandleOf(WindowAddress{first->socket_path()});
  const std::uint64_t second_handle = WindowHandleOf(WindowAddress{second.socket_path()});
  EXPECT_NE(first_handle, 0u);
  EXPECT_NE(first_handle, second_handle);
  // The handle does not depend on the folder the address was seen from.
  EXPECT_EQ(WindowHandleOf(WindowAddress{"elsewhere/" + std::filesystem::path(first->socket_path()).filename().string()}),
            first_handle);

  const auto found = FindWindowByHandle(client, second_handle);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->socket_path, second.socket_path());
  EXPECT_FALSE(FindWindowByHandle(client, 0).has_value());
  EXPECT_FALSE(FindWindowByHandle(client, first_handle ^ second_handle).has_value());

  first->Close();
  first.reset();
  EXPECT_FALSE(FindWindowByHandle(client, first_handle).has_value());
  queue.Close();
  second.Close();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zt640::platform
