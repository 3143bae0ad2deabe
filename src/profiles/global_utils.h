#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "transport/device_path.h"

namespace zt640 {

/// Local time broken down to the millisecond, the input of time-stamp names.
struct LocalTimeStamp {
  int year = 0;
  int month = 0;  ///< 1-12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

/// A control or entry name split at its last "_" ("key_12" -> "key_", 12).
struct NameNumber {
  std::string prefix;  ///< everything up to and including the last "_"
  int number = 0;      ///< decimal value of the rest; 0 when it is no number
};

/// How a JSON file read: missing (or empty, holding nothing), parsed, or
/// damaged (present with content that is no JSON document).
enum class JsonFileState { kMissing, kParsed, kDamaged };

struct JsonFileContent {
  Json::Value document;  ///< null unless parsed
  JsonFileState state = JsonFileState::kMissing;
};

/// File and string helpers every file of the system goes through, beside the
/// interface path parsers. All text is UTF-8; paths are UTF-8 file names.
class CGlobalUtils : public DevicePath {
 public:
  /// The whole file as bytes, cut at the first zero byte. A file that cannot
  /// be opened or read completely gives an empty string.
  [[nodiscard]] static std::string readjsonFile(const std::string& path);

  /// Parses a JSON file with comments collected. A missing, empty, unreadable
  /// or invalid file gives a null document; nothing is thrown.
  [[nodiscard]] static Json::Value ParseJsonFile(const std::string& path);

  /// ParseJsonFile that also says how the file read. A damaged file is
  /// recorded with DamagedFiles (the user is told; the first write over it
  /// keeps it as ".bak"); a file that parses drops an earlier record.
  [[nodiscard]] static JsonFileContent ReadJsonFile(const std::string& path);

  /// Parses JSON text with comments collected; invalid text gives nullopt.
  [[nodiscard]] static std::optional<Json::Value> ParseJsonText(std::string_view text);

  /// The exact bytes WriteJsonFile stores: the styled writer's text with one
  /// more line end, every line end CR LF.
  [[nodiscard]] static std::string StyledJsonText(const Json::Value& document);

  /// Replaces the file with StyledJsonText(document). The text goes to a
  /// temporary file in the same folder, is flushed to disk and renamed over
  /// the old file, so a failed write leaves the old file as it was. A file
  /// recorded as damaged is first kept as ".bak" (DamagedFiles), and the
  /// temporary files an interrupted save of the same file left behind
  /// (".NAME.tmpPID_N" of a process that is gone) are removed. Returns
  /// false (and writes nothing visible) when any step fails.
  [[nodiscard]] static bool WriteJsonFile(const std::string& path, const Json::Value& document);

  /// Replaces the file with exactly `bytes`, by the same temporary-file and
  /// rename steps as WriteJsonFile (used for byte-exact copies of files).
  [[nodiscard]] static bool WriteFileAtomic(const std::string& path, std::string_view bytes);

  /// The current local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d".
  [[nodiscard]] static std::string MakeTimeStampName();
  [[nodiscard]] static std::string MakeTimeStampName(const LocalTimeStamp& time);

  /// Appends one code point as UTF-8; a value that is no Unicode scalar value
  /// (a surrogate, or above U+10FFFF) is written as U+FFFD.
  static void AppendUtf8(std::string& out, char32_t code_point);

  /// UTF-8 <-> wide text. Malformed input becomes U+FFFD, never an error.
  [[nodiscard]] static std::string Utf8FromWide(std::wstring_view text);
  [[nodiscard]] static std::wstring WideFromUtf8(std::string_view text);

  /// The file name without folder and extension ("/a/b/2023_x.Json" -> "2023_x").
  [[nodiscard]] static std::string FileTitle(std::string_view path);

  /// Splits at the last "_"; nullopt when the text holds none.
  [[nodiscard]] static std::optional<NameNumber> SplitNameNumber(std::string_view text);

  /// Eight upper-case hexadecimal digits, most significant first.
  [[nodiscard]] static std::string HexWord(uint32_t value);

  /// Unicode simple case folding of UTF-8 text (Latin, Greek, Cyrillic,
  /// Armenian, full-width Latin), for names compared without regard to case.
  [[nodiscard]] static std::string FoldCase(std::string_view text);

  /// True when the two names are equal without regard to case ("É" == "é").
  [[nodiscard]] static bool EqualsIgnoreCase(std::string_view a, std::string_view b);
};

}  // namespace zt640
