#pragma once

#include <string>

namespace zt640 {

/// Language keys of the messages the profile, macro and shoot panels report.
namespace message_key {
inline constexpr char kProfileLimit[] = "message_text_28";        ///< 50 profiles already
inline constexpr char kConfirmReset[] = "message_text_22";        ///< confirm resetting a profile
inline constexpr char kNameUsed[] = "message_text_5";             ///< name already used
inline constexpr char kNameBlank[] = "message_text_25";           ///< blank name
inline constexpr char kNameAmpersand[] = "message_text_5_3";      ///< name contains "&"
inline constexpr char kConfirmMacroDelete[] = "message_text_4";   ///< confirm deleting a macro
inline constexpr char kConfirmMacroInUse[] = "message_text_2";    ///< macro used by the active profile
inline constexpr char kTooManyEvents[] = "message_text_17";       ///< more than 250 events
inline constexpr char kNameTooLong[] = "name_too_long_text";
inline constexpr char kNameInvalid[] = "name_invalid_text";       ///< control characters in a name
inline constexpr char kLastProfile[] = "profile_last_text";       ///< the last profile cannot go
inline constexpr char kMacroLibraryFull[] = "macro_library_full_text";
inline constexpr char kNoSelection[] = "no_selection_text";
inline constexpr char kWriteFailed[] = "file_write_failed_text";
inline constexpr char kReadFailed[] = "file_read_failed_text";
inline constexpr char kInvalidProfileFile[] = "import_invalid_profile_text";
inline constexpr char kInvalidMacroFile[] = "import_invalid_macro_text";
inline constexpr char kInvalidShootFile[] = "import_invalid_shoot_text";
}  // namespace message_key

/// How a panel operation ended.
enum class PanelStatus {
  kDone,       ///< the change was made and written
  kRefused,    ///< the input was refused; nothing changed
  kUnchanged,  ///< nothing to do (no selection, limit reached, declined); nothing changed
  kFailed,     ///< a file could not be read or written; what was on disk stays
};

/// The outcome of a panel operation: its status, the language key the main
/// window shows (empty: show nothing) and, beside it, a key naming why nothing
/// happened, for the command line and diagnostics.
struct PanelResult {
  PanelStatus status = PanelStatus::kDone;
  std::string message_key;  ///< shown to the user by the main window
  std::string reason_key;   ///< why the operation did nothing; empty when done
  std::string value;        ///< the new or changed name, when the operation gives one

  [[nodiscard]] bool done() const { return status == PanelStatus::kDone; }

  [[nodiscard]] static PanelResult Done(std::string value = {}) {
    return PanelResult{PanelStatus::kDone, {}, {}, std::move(value)};
  }
  /// Refused with a message the main window shows.
  [[nodiscard]] static PanelResult Refused(const char* key) { return PanelResult{PanelStatus::kRefused, key, key, {}}; }
  /// Nothing done and nothing shown; `reason` says why.
  [[nodiscard]] static PanelResult Unchanged(const char* reason) {
    return PanelResult{PanelStatus::kUnchanged, {}, reason, {}};
  }
  [[nodiscard]] static PanelResult Failed(const char* key = message_key::kWriteFailed) {
    return PanelResult{PanelStatus::kFailed, key, key, {}};
  }
};

}  // namespace zt640
