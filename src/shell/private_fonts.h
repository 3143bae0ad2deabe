#pragma once

#include <QString>
#include <array>
#include <functional>

namespace zt640 {

/// The four private fonts of the program's "Font" folder, made available to this process.
/// A missing or unreadable file is skipped; the program runs with the others. A file the
/// system already offers through its font configuration is not registered a second
/// time: its faces are found there, and parsing a large collection again costs start-up
/// time and memory for nothing.
class PrivateFonts {
 public:
  /// File names in load order.
  static constexpr std::array<const char*, 4> kFiles = {
      "Simplified_Chinese.ttf", "Vellum-Regular.otf", "NotoSansThai-Regular.ttf", "NotoSansCJKtc-Regular.otf"};

  enum class State {
    kMissing,     ///< absent or not a font the toolkit accepts
    kSystem,      ///< already offered by the system's font configuration
    kRegistered,  ///< registered for this process
  };

  /// Answers whether the system already offers the font file at a path.
  using SystemLookup = std::function<bool(const QString& path)>;

  PrivateFonts() = default;
  PrivateFonts(const PrivateFonts&) = delete;
  PrivateFonts& operator=(const PrivateFonts&) = delete;
  ~PrivateFonts() { Remove(); }

  /// Makes the four files of `font_folder` available; returns how many are (registered
  /// here or offered by the system). Without a lookup every present file is registered.
  int Load(const QString& font_folder, const SystemLookup& system_has = {});

  /// Removes the fonts registered here, in reverse order.
  void Remove();

  [[nodiscard]] State StateOf(std::size_t index) const {
    return index < states_.size() ? states_[index] : State::kMissing;
  }
  [[nodiscard]] bool IsLoaded(std::size_t index) const { return StateOf(index) != State::kMissing; }

 private:
  std::array<int, 4> ids_ = {-1, -1, -1, -1};  ///< application font ids, -1 when not registered
  std::array<State, 4> states_ = {State::kMissing, State::kMissing, State::kMissing, State::kMissing};
};

}  // namespace zt640
