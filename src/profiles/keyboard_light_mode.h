#pragma once

#include <cstdint>

namespace zt640 {

/// The keyboard's lighting modes by mode index: light state byte 0, the
/// position in the mode list and the profile's "SelectItem". Each is named
/// after the effect the host renders for it. The keyboard stores a mode code
/// of its own, which the mode list maps to and from the index.
enum class KeyboardLightMode : uint8_t {
  kLightList = 0,  ///< the profile's light list, entry after entry
  kColumnWave = 1,
  kColumnSweep = 2,
  kPathWave = 3,
  kSpectrum = 4,
  kBreathing = 5,
  kStatic = 6,
  kReactive = 7,
  kRipple = 8,
  kLineRipple = 9,
  kTwinkle = 10,
  kRainbowKeys = 11,
  kRowWave = 12,
  kCentreBounce = 13,
  kShow = 14,
  kTwinklePath = 15,
  kDiagonalFlow = 16,
  kOptionColour = 17,  ///< one colour chosen by the mode option byte
  kGroupRainbow = 18,
  kLightListAgain = 19,  ///< runs the light list as kLightList does
  kCustom = 20,          ///< the per-key colours of the active custom slot
  kSnake = 21,
  kStaggeredBreath = 22,
  kBlink = 23,
  kSweepFrames = 24,
  kReactiveRipple = 25,  ///< reactive keys lighting their neighbours
  kBreathingFourColours = 26,
  kBlinkFourColours = 27,
  kOff = 28,
  kAudio = 29,        ///< audio-reactive bars; the host streams the frames
  kAudioColour = 30,  ///< the audio levels' colour; the host streams the frames
};

/// Number of mode indices; a byte at or past it names no mode.
inline constexpr int kKeyboardLightModeCount = 31;

[[nodiscard]] constexpr int ModeIndex(KeyboardLightMode mode) { return static_cast<int>(mode); }

/// The mode a mode index names (any byte value is kept; past the last mode it
/// names none of the enumerators).
[[nodiscard]] constexpr KeyboardLightMode ToKeyboardLightMode(int index) {
  return static_cast<KeyboardLightMode>(static_cast<uint8_t>(index));
}

/// The patterns of kAudio, by the audio light setting's audio mode byte.
enum class KeyboardAudioMode : uint8_t {
  kColumns = 0,
  kSplitRows = 1,
  kBeat = 2,  ///< ripples started by the bass
  kGroups = 3,
  kPeaks = 4,
  kRows = 5,
  kRowsWide = 6,
};

/// Modes whose frames the host renders and streams to the keyboard.
[[nodiscard]] constexpr bool IsHostStreamedMode(KeyboardLightMode mode) {
  return mode == KeyboardLightMode::kAudio || mode == KeyboardLightMode::kAudioColour;
}

}  // namespace zt640
