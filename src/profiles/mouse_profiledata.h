#pragma once

#include <vector>

#include "profiles/basic_profiledata.h"
#include "profiles/mouse_records.h"

namespace zt640 {

/// Profile data of the mouse: the common groups plus the DPI stages
/// ("DPIStages"), the pointer settings ("SystemStages"), the report stage
/// ("ReportStages") and the correction presets ("CorrectInfo", read only).
class CMouseProfiledata : public CBasicProfiledata {
 public:
  /// Reads "DPIStages": the file's stages replace the first entries of the
  /// kept list, entries beyond them stay, further stages are appended. An
  /// absent group leaves the list and the active stage as they were.
  std::vector<DpiStage> GetDpiStages();
  void SetDpiStages(const std::vector<DpiStage>& stages);
  /// The active stage read by the last GetDpiStages or set by SetActiveDpiStage.
  [[nodiscard]] int32_t GetActiveDpiStage() const { return active_dpi_stage_; }
  void SetActiveDpiStage(int32_t stage);

  MouseOptions GetMouseOptions();
  void SetMouseOptions(const MouseOptions& options);

  std::vector<CorrectEntry> GetCorrectList();

 private:
  std::vector<DpiStage> dpi_stages_;
  int32_t active_dpi_stage_ = 0;
  MouseOptions options_;
  std::vector<CorrectEntry> correct_list_;
};

}  // namespace zt640
