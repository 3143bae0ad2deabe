#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths/product_title.h"

namespace zt640::audiorecord {

/// Names the capture process is known by, all built from the product title.
[[nodiscard]] std::string CaptureMutexName();   ///< title + "AudioRecord"
[[nodiscard]] std::string CaptureWindowClass();  ///< title + "AudioRecord"
[[nodiscard]] std::string CaptureWindowTitle();  ///< title + "AUDIORECORD"

/// The utility's main window, watched while no other window has connected.
inline constexpr std::string_view kMainWindowClass = "MainWnd";

/// The registered message that carries the commands (wParam the code, lParam its value).
inline constexpr std::string_view kCommandMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

/// Command codes. The utility connects with 0, 3, 1 and disconnects with 2, 4, 5;
/// 6 to 8 carry its colour sliders.
enum class CaptureCommand : std::uint64_t {
  kConnect = 0,        ///< lParam: handle of the window that receives the blocks
  kStartSending = 1,   ///< send blocks from now on (and capture, when stopped)
  kStopSending = 2,    ///< send nothing until the next start
  kResetAnalysis = 3,  ///< forget the sound heard so far
  kStopCapture = 4,    ///< release the sound server until the next start
  kForgetWindow = 5,   ///< drop the receiving window; watch the utility's main window again
  kStyleRed = 6,       ///< lParam: new red weight of the level colour
  kStyleGreen = 7,     ///< lParam: new green weight
  kStyleBlue = 8,      ///< lParam: new blue weight
};
inline constexpr std::uint64_t kLastCommand = 8;

/// Copy-data kinds (dwData) of the blocks.
enum class BlockKind : std::uint64_t {
  kSpectrum = 1,  ///< to the window: 500 signed 32-bit values
  kLevels = 2,    ///< to the window: 6 signed 32-bit values
  kStyle = 10,    ///< from the utility: R, G, B of the selected style, then zeros
};

inline constexpr std::size_t kSpectrumValues = 500;
inline constexpr std::size_t kLevelValues = 6;
inline constexpr std::size_t kStyleBlockBytes = 40;
inline constexpr std::size_t kValueBytes = 4;
/// Full scale of one spectrum value (the keyboard reads differences up to about this).
inline constexpr std::int32_t kSpectrumFullScale = 2000;
/// Full scale of the loudness, peak and bass level values.
inline constexpr std::int32_t kLevelFullScale = 1000;
/// Blocks of each kind sent per second.
inline constexpr int kBlocksPerSecond = 30;

/// Weights of the level colour's red, green and blue (the style's three 0-9 values).
struct StyleWeights {
  std::int32_t red = 9;
  std::int32_t green = 9;
  std::int32_t blue = 9;
  friend bool operator==(const StyleWeights&, const StyleWeights&) = default;
};
/// Weights are kept in this range; anything outside is clamped.
inline constexpr std::int32_t kMaxStyleWeight = 255;

using SpectrumBlock = std::array<std::int32_t, kSpectrumValues>;
using LevelBlock = std::array<std::int32_t, kLevelValues>;

/// Little-endian image of signed 32-bit values, as a copy-data block carries them.
[[nodiscard]] std::vector<std::uint8_t> EncodeValues(std::span<const std::int32_t> values);

/// Reads a block of signed 32-bit values into `values`: a longer block is cut to the
/// buffer, a shorter one fills the whole values it holds and leaves the rest as they were.
/// Returns how many values were filled.
std::size_t DecodeValues(std::span<const std::uint8_t> block, std::span<std::int32_t> values);

/// Applies a style block to `weights`: R, G, B are its first three values (a shorter
/// block changes only the values it holds; clamped to 0..kMaxStyleWeight). False, and
/// nothing changed, for a block shorter than one value.
bool ApplyStyleBlock(std::span<const std::uint8_t> block, StyleWeights& weights);

}  // namespace zt640::audiorecord
