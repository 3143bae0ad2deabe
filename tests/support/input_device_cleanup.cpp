// Linked into every Qt suite.
#include <gtest/gtest.h>

#include <QInputDevice>

namespace {

/// Mouse and key events sent by a test make the platform register its pointing
/// device after the suite's static application object was built, so that registry
/// would be gone before the application deletes the device at exit. Deleting the
/// devices at the end of the run, while the registry lives, avoids that.
class InputDeviceCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    for (const QInputDevice* device : QInputDevice::devices()) delete const_cast<QInputDevice*>(device);
  }
};

const auto* const kInputDeviceCleanup = ::testing::AddGlobalTestEnvironment(new InputDeviceCleanup);

}  // namespace
