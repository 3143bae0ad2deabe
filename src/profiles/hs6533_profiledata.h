#pragma once

#include <array>
#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/headset_options.h"

namespace zt640 {

/// Band values of one equaliser preset, lowest band first.
using EqBands = std::array<int32_t, kEqBandCount>;

/// Profile data of the headset: the common groups plus the effect, equaliser
/// and microphone settings ("SystemSetStages"), the preset bands
/// ("EQHzValueInfo") and the user's custom presets ("CustomEQNameInfo",
/// "CustomEQHzValueInfo").
class CHs6533Profiledata : public CBasicProfiledata {
 public:
  HeadsetOptions GetHeadsetOptions();
  void SetHeadsetOptions(const HeadsetOptions& options);

  /// The bands of equaliser type `type` (0 and types above 13 read preset 1);
  /// empty for the custom type 13. A preset the document lacks reads as
  /// zeros and is written into the main document as ten zero bands.
  std::vector<int32_t> GetEqValues(int32_t type);
  void SetEqValues(int32_t type, const EqBands& values);

  std::vector<std::string> GetCustomEqNames();
  /// Replaces the name list; the custom band values are not touched.
  void SetCustomEqNames(const std::vector<std::string>& names);
  /// The bands of the custom preset at `position`, with the rules of GetEqValues.
  std::vector<int32_t> GetCustomEqValues(int32_t position);
  void SetCustomEqValues(int32_t position, const EqBands& values);

 private:
  HeadsetOptions options_;
};

}  // namespace zt640
