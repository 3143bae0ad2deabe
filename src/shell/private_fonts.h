#pragma once

#include <QString>
#include <array>

namespace zt640 {

/// The four private fonts loaded from the program's "Font" folder for this process only.
/// A missing or unreadable file is skipped; the program runs with the others.
class PrivateFonts {
 public:
  /// File names in load order.
  static constexpr std::array<const char*, 4> kFiles = {
      "Simplified_Chinese.ttf", "Vellum-Regular.otf", "NotoSansThai-Regular.ttf", "NotoSansCJKtc-Regular.otf"};

  PrivateFonts() = default;
  PrivateFonts(const PrivateFonts&) = delete;
  PrivateFonts& operator=(const PrivateFonts&) = delete;
  ~PrivateFonts() { Remove(); }

  /// Loads the four files from `font_folder`; returns how many loaded.
  int Load(const QString& font_folder);

  /// Removes the loaded fonts in reverse order.
  void Remove();

  [[nodiscard]] bool IsLoaded(std::size_t index) const { return index < ids_.size() && ids_[index] >= 0; }

 private:
  std::array<int, 4> ids_ = {-1, -1, -1, -1};  ///< application font ids, -1 when not loaded
};

}  // namespace zt640
