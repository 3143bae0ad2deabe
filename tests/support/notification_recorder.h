#pragma once

#include <QString>
#include <algorithm>
#include <vector>

#include "ui/notification.h"

namespace zt640::test {

/// A notify target that keeps every notification it is handed.
struct NotificationRecorder : ui::NotifyTarget {
  void Notify(const ui::Notification& notification) override { seen.push_back(notification); }
  [[nodiscard]] int Count(const QString& kind) const {
    return static_cast<int>(std::count_if(seen.begin(), seen.end(), [&](const auto& n) { return n.kind == kind; }));
  }
  std::vector<ui::Notification> seen;
};

}  // namespace zt640::test
