#pragma once

#include <string>
#include <string_view>

namespace zt640::platform {

enum class AutostartResult {
  kOk,
  kIoError,  ///< the folder could not be made, or the entry not written or removed
};

/// The user's XDG autostart entry for this program: a desktop file in the autostart
/// folder whose presence means "start at log-in, hidden in the tray".
class AutostartEntry {
 public:
  /// The desktop id of the program, which the entry's file is named after.
  static constexpr std::string_view kFileName = "org.zt640.Zt640.desktop";

  /// `folder` is the autostart folder the entry lives in.
  explicit AutostartEntry(std::string folder);

  /// `$XDG_CONFIG_HOME/autostart` (default ~/.config/autostart); empty when no home
  /// folder is known.
  [[nodiscard]] static std::string DefaultFolder();

  [[nodiscard]] std::string Path() const;
  [[nodiscard]] bool IsEnabled() const;

  /// Writes the entry so that the desktop starts `program` with "--hidden" at log-in
  /// (plain "zt640" from the PATH when `program` is empty). Replaces the file whole.
  [[nodiscard]] AutostartResult Enable(const std::string& program) const;
  /// Removes the entry; an entry that is not there is no failure.
  [[nodiscard]] AutostartResult Disable() const;

  /// The entry's text for `program`.
  [[nodiscard]] static std::string EntryText(const std::string& program);

 private:
  std::string folder_;
};

}  // namespace zt640::platform
