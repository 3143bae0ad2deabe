#include <gtest/gtest.h>

#include <string>

#include "updateclient/update_address.h"

namespace {

TEST(UpdateAddress, AcceptsHttpsAndPlainHttpOnlyToLoopback) {
  const std::pair<const char*, bool> cases[] = {
      {"https://update.zt640.invalid/api/", true},
      {"HTTPS://update.zt640.invalid/api/", true},
      {"http://127.0.0.1:8080/api/", true},
      {"http://127.9.8.7/api/", true},
      {"http://[::1]:8080/api/", true},
      {"http://localhost/api/", true},
      {"http://update.zt640.invalid/api/", false},
      {"http://127.0.0.1.example.com/api/", false},
      {"http://128.0.0.1/api/", false},
      {"http://[::2]/api/", false},
      {"ftp://127.0.0.1/api/", false},
      {"file:///etc/passwd", false},
      {"127.0.0.1/api/", false},
      {"", false},
      {"https://", false},
  };
  for (const auto& [address, accepted] : cases) {
    SCOPED_TRACE(address);
    EXPECT_EQ(zt640::IsAcceptedUpdateAddress(address), accepted);
  }
}

}  // namespace
