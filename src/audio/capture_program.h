#pragma once

#include <string>

namespace zt640 {

/// Where the capture process's program lies and how it is started.
class CaptureProgram {
 public:
  static constexpr char kProgramName[] = "AudioRecord";

  /// The program beside the utility (the build tree, a plain copy), else in
  /// ../lib/zt640/ (an installed copy); empty when neither is an executable file.
  [[nodiscard]] static std::string Locate(const std::string& program_folder);

  /// Starts `path` detached, without a shell and without arguments; the process is
  /// never waited for (it is nobody's child once started, so it leaves no zombie).
  /// False when it could not be started.
  [[nodiscard]] static bool Start(const std::string& path);
};

}  // namespace zt640
