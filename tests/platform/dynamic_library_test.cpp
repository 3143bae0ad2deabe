#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/audio/alsa_library.h"
#include "platform/audio/alsa_mixer_layer.h"
#include "platform/dl/dynamic_library.h"

namespace zt640::platform {
namespace {

TEST(DynamicLibrary, BindsWhatTheLibraryHasAndSaysWhyItCannotLoad) {
  std::string reason;
  EXPECT_EQ(DynamicLibrary::Open("libzt640-absent.so.1", &reason), nullptr);
  EXPECT_NE(reason.find("libzt640-absent.so.1"), std::string::npos) << reason;

  const std::unique_ptr<DynamicLibrary> libc = DynamicLibrary::Open("libc.so.6", &reason);
  ASSERT_NE(libc, nullptr) << reason;
  decltype(&::strlen) length = nullptr;
  ASSERT_TRUE(libc->Bind("strlen", length));
  EXPECT_EQ(length("zt640"), 5u);
  decltype(&::strlen) absent = length;
  EXPECT_FALSE(libc->Bind("zt640_no_such_function", absent));
  EXPECT_EQ(absent, length) << "a failed bind leaves the target as it was";
}

TEST(AlsaLibrary, ALibraryWithoutTheMixerFunctionsIsRefusedByName) {
  std::string reason;
  EXPECT_EQ(AlsaLibrary::Open("libc.so.6", &reason), nullptr);
  EXPECT_NE(reason.find("snd_mixer_open"), std::string::npos) << reason;
}

TEST(AlsaLibrary, TheInstalledLibraryOpensNoMixerForACardThatIsNotThere) {
  ASSERT_NE(AlsaLibrary::Shared(), nullptr);
  EXPECT_EQ(AlsaMixerLayer::Open(99), nullptr);
}

}  // namespace
}  // namespace zt640::platform
