#pragma once

#include <string>
#include <vector>

#include "profiles/headset_options.h"
#include "profiles/hs6533_profiledata.h"

namespace zt640 {

/// What the headset shows on its own panels beyond the common ones: the
/// sound state, the equaliser sliders, the custom curve list and the
/// messages of its sound actions. The Qt page implements it; the CLI and
/// tests use the null sink or their own recorder.
class HeadsetPanelSink {
 public:
  virtual ~HeadsetPanelSink() = default;
  /// The boxes, options and sliders of the sound state; whether the custom
  /// panel shows follows its equaliser type.
  virtual void ShowSound(const HeadsetOptions& options) = 0;
  virtual void ShowBands(const EqBands& bands) = 0;
  /// The curve names and the selected one (-1 none); the name field is emptied.
  virtual void ShowCustomCurves(const std::vector<std::string>& names, int selected) = 0;
  /// A decibel value read back after a volume change ("%.2f").
  virtual void ShowDecibels(bool monitor, double decibels) = 0;
  /// A message box with a language key (e.g. "message_text_5").
  virtual void ShowMessage(const std::string& key) = 0;
};

class NullHeadsetPanelSink final : public HeadsetPanelSink {
 public:
  void ShowSound(const HeadsetOptions&) override {}
  void ShowBands(const EqBands&) override {}
  void ShowCustomCurves(const std::vector<std::string>&, int) override {}
  void ShowDecibels(bool, double) override {}
  void ShowMessage(const std::string&) override {}
};

}  // namespace zt640
