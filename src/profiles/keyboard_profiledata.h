#pragma once

#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/keyboard_records.h"

namespace zt640 {

/// Profile data of the keyboard: the common groups plus the keyboard options
/// ("SystemStages") and the custom per-key colours ("CustomLightMode").
class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  KeyboardOptions GetKeyboardOptions();
  void SetKeyboardOptions(const KeyboardOptions& options);

  /// The colours of `count` keys in custom colour group `group`. Keys the
  /// document lacks read as zero and are written into the main document as
  /// zero colours (they reach the file with the next Save).
  std::vector<CustomColor> GetCustomColors(unsigned group, unsigned count);
  /// Writes the colours into group `group`; other groups are kept. A group
  /// beyond the range files are grown to is not written.
  void SetCustomColors(const std::vector<CustomColor>& colors, unsigned group);

  int32_t GetCustomColorGroup();
  void SetCustomColorGroup(int32_t group);

 private:
  KeyboardOptions options_;
  std::vector<CustomColor> custom_colors_;
  int32_t custom_group_ = 0;
};

}  // namespace zt640
