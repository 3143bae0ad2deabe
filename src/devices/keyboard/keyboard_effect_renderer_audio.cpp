#include <algorithm>
#include <numeric>

#include "devices/host_effects.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/keyboard/keyboard_effect_tables.h"

namespace zt640 {
namespace {

using Tables = KeyboardEffectTables;
using Mode = KeyboardLightMode;
using AudioMode = KeyboardAudioMode;
constexpr uint8_t kNoKey = Tables::kNoKey;
constexpr int kFullScale = 2000;
constexpr int kSilence = 600;

/// Height figure of one spectrum value: 600 for silence down to 0 at full
/// scale; a value beyond full scale reads as 500.
int HeightFigure(int32_t value) {
  const int64_t scaled = static_cast<int64_t>(std::max<int32_t>(value, 0)) * kSilence / kFullScale;
  if (scaled > kSilence) return 500;
  return kSilence - static_cast<int>(scaled);
}

// Audio mode 1: each row holds a left bar over columns 0-8 growing leftwards
// from column 8 and a right bar over columns 9-22 growing rightwards from
// column 9, so the two meet at the centre split. Row r is fed by values 2r
// (left) and 2r + 1 (right); row 0 carries the bass, the rows below higher bands.
constexpr int kSplitColumn = 9;

// Audio mode 4: column c is fed by value c + 2, skipping the two lowest bands,
// which carry mostly rumble, so all 23 columns show audible bands.
constexpr int kPeakValueOffset = 2;

// Beat rule of audio mode 2: the bass (values 0-3) as 0-100 per feed,
// accumulated; reaching 71 starts a ripple at key 51.
constexpr int kBeatThreshold = 71;
constexpr unsigned kBeatKey = 51;

}  // namespace

void KeyboardEffectRenderer::FeedAudioSpectrum(std::span<const int32_t> values) {
  spectrum_.fill(0);
  std::copy_n(values.begin(), std::min(values.size(), kSpectrumValues), spectrum_.begin());
  if (ToKeyboardLightMode(state_.mode()) != Mode::kAudio || AudioMode{audio_.audio_mode} != AudioMode::kBeat) return;
  int64_t bass = 0;
  for (size_t i = 0; i < 4; ++i) bass += std::clamp<int32_t>(spectrum_[i], 0, kFullScale);
  beat_accumulated_ += static_cast<int>(bass * 100 / (4 * kFullScale));
  if (beat_accumulated_ >= kBeatThreshold) {
    SetRingBit(kBeatKey);
    beat_accumulated_ = 0;
  }
}

ZoneColour KeyboardEffectRenderer::AudioBarColour(int colour_index) const {
  if (audio_.seven_color != 0) return HostEffects::Wheel(colour_index);
  return {audio_.foreground_red, audio_.foreground_green, audio_.foreground_blue, 0};
}

ZoneColour KeyboardEffectRenderer::AudioBackground() const {
  return {audio_.background_red, audio_.background_green, audio_.background_blue, 0};
}

void KeyboardEffectRenderer::ShowAudioBar(unsigned key, const ZoneColour& bar) {
  key_levels_[key] = 255;
  ShowKey(key, bar, static_cast<uint8_t>(StateLevel() * 255 / 256));
}

void KeyboardEffectRenderer::ShowAudioBackground(unsigned key, int row, int column,
                                                 const ZoneColour& bar) {
  bool fade = row == 0;
  if (!fade) {
    const uint8_t above =
        Tables::Grid()[static_cast<size_t>(column)][static_cast<size_t>(row - 1)];
    fade = above == kNoKey || key_levels_[above] < 10;
  }
  if (fade) FadeKeyLevel(key, Mode::kAudio);
  const uint8_t level = StateLevel();
  if (key_levels_[key] > 9) {
    ShowKey(key, bar, static_cast<uint8_t>(level * key_levels_[key] / 256));
  } else {
    ShowKey(key, AudioBackground(), level);
  }
}

void KeyboardEffectRenderer::RenderAudio() {
  switch (AudioMode{audio_.audio_mode}) {
    case AudioMode::kColumns: RenderAudioColumns(false); break;
    case AudioMode::kSplitRows: RenderAudioSplitRows(); break;
    case AudioMode::kBeat: RenderAudioBeat(); break;
    case AudioMode::kGroups: RenderAudioGroups(); break;
    case AudioMode::kPeaks: RenderAudioColumns(true); break;
    case AudioMode::kRows: RenderAudioRows(false); break;
    case AudioMode::kRowsWide: RenderAudioRows(true); break;
    default: RenderOff(); break;
  }
  spectrum_.fill(0);
}

void KeyboardEffectRenderer::RenderAudioColumns(bool peaks) {
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  const auto& grid = Tables::Grid();
  for (int c = 0; c < Tables::kColumns; ++c) {
    const size_t value_index = static_cast<size_t>(c + (peaks ? kPeakValueOffset : 0));
    const int g = HeightFigure(value_index < kSpectrumValues ? spectrum_[value_index] : 0);
    const int top = (g + 100) * Tables::kRows / kSilence;  // 6 or 7: no bar
    const ZoneColour bar = AudioBarColour(phase_ + 10 * c);
    int8_t& peak = peak_row_[static_cast<size_t>(c)];
    if (peaks) {
      // The bar's top key is lit once and held until it has faded below 10.
      const uint8_t held = peak < Tables::kRows ? grid[static_cast<size_t>(c)][static_cast<size_t>(peak)] : kNoKey;
      if (held == kNoKey || key_levels_[held] < 10) peak = static_cast<int8_t>(Tables::kRows);
      if (top < peak && top < Tables::kRows) {
        peak = static_cast<int8_t>(top);
        const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(top)];
        if (key != kNoKey) key_levels_[key] = 255;
      }
    }
    for (int r = 0; r < Tables::kRows; ++r) {
      const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if (key == kNoKey) continue;
      const bool in_bar = r >= top && !(peaks && r == peak);
      if (in_bar) {
        ShowAudioBar(key, bar);
      } else {
        ShowAudioBackground(key, r, c, bar);
      }
    }
  }
}

void KeyboardEffectRenderer::RenderAudioSplitRows() {
  phase_ = HostEffects::Step(state_.forward(), HostEffects::kWheelSize, phase_);
  const auto& grid = Tables::Grid();
  for (int r = 0; r < Tables::kRows; ++r) {
    const int left_length =
        (kSilence - HeightFigure(spectrum_[static_cast<size_t>(2 * r)])) * kSplitColumn / kSilence;
    const int right_length = (kSilence - HeightFigure(spectrum_[static_cast<size_t>(2 * r + 1)])) *
                             (Tables::kColumns - kSplitColumn) / kSilence;
    for (int c = 0; c < Tables::kColumns; ++c) {
      const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if (key == kNoKey) continue;
      const bool in_bar = c < kSplitColumn ? c >= kSplitColumn - left_length
                                           : c < kSplitColumn + right_length;
      const ZoneColour bar = AudioBarColour(phase_ + 7 * c);
      if (in_bar) {
        ShowAudioBar(key, bar);
      } else {
        ShowAudioBackground(key, r, c, bar);
      }
    }
  }
}

void KeyboardEffectRenderer::RenderAudioBeat() {
  LightRingPatterns(false);
  MoveRing(rings_[0], RingMove::kUpLeft);
  MoveRing(rings_[1], RingMove::kDownLeft);
  MoveRing(rings_[2], RingMove::kUpRight);
  MoveRing(rings_[3], RingMove::kDownRight);
  const uint8_t level = StateLevel();
  for (size_t key = 0; key < kZoneCount; ++key) {
    key_colour_[key] = static_cast<uint8_t>((key_colour_[key] + 9) % HostEffects::kWheelSize);
    FadeKeyLevel(key, Mode::kAudio);
  }
  for (const auto& column : Tables::Grid()) {
    for (uint8_t key : column) {
      if (key == kNoKey) continue;
      if (key_levels_[key] > 9) {
        ShowKey(key, AudioBarColour(key_colour_[key]), static_cast<uint8_t>(level * key_levels_[key] / 256));
      } else {
        ShowKey(key, AudioBackground(), level);
      }
    }
  }
}

void KeyboardEffectRenderer::RenderAudioGroups() {
  int64_t sum = 0;
  for (int32_t value : spectrum_) sum += HeightFigure(value);
  const int n = static_cast<int>(sum / static_cast<int64_t>(kSpectrumValues)) * 20 / kSilence;
  phase_ = (phase_ + n) % HostEffects::kWheelSize;
  const uint8_t level = StateLevel();
  for (int g = 0; g < Tables::kKeyGroupCount; ++g) {
    const bool lit = g < 20 - n;
    const ZoneColour colour = AudioBarColour(phase_ + 9 * g);
    for (uint8_t key : Tables::KeyGroup(g)) {
      if (FindKey(key) == kNoKey) continue;
      if (lit) {
        key_levels_[key] = 255;
      } else {
        FadeKeyLevel(key, Mode::kLightList);
      }
      if (key_levels_[key] > 9) {
        ShowKey(key, colour, static_cast<uint8_t>(level * key_levels_[key] / 256));
      } else {
        ShowKey(key, AudioBackground(), level);
      }
    }
  }
}

void KeyboardEffectRenderer::RenderAudioRows(bool wide) {
  static constexpr std::array<int, 6> kGroups = {2, 3, 3, 4, 5, 7};
  static constexpr std::array<int, 6> kWideGroups = {2, 2, 3, 4, 5, 5};
  const auto& sizes = wide ? kWideGroups : kGroups;
  std::array<int, 6> figures{};
  size_t next = 0;
  for (size_t i = 0; i < sizes.size(); ++i) {
    int64_t sum = 0;
    for (int k = 0; k < sizes[i]; ++k) sum += spectrum_[next++];
    figures[i] = HeightFigure(static_cast<int32_t>(std::clamp<int64_t>(sum / 3, 0, INT32_MAX)));
  }
  const auto& grid = Tables::Grid();
  for (int r = 0; r < Tables::kRows; ++r) {
    // The bottom row shows the first (lowest) group, the top row the last.
    const int g = figures[static_cast<size_t>(Tables::kRows - 1 - r)];
    // Narrow rows grow from the left edge; wide rows grow from the right edge
    // towards column g x 23 / 600, so silence leaves both dark.
    const int end = wide ? g * Tables::kColumns / kSilence : 23 - (23 * g + 2300) / kSilence;
    for (int c = 0; c < Tables::kColumns; ++c) {
      const uint8_t key = grid[static_cast<size_t>(c)][static_cast<size_t>(r)];
      if (key == kNoKey) continue;
      const bool in_bar = wide ? c >= end : c <= end;
      const ZoneColour bar = AudioBarColour(audio_colour_index_ + 3 * c);
      if (in_bar) {
        ShowAudioBar(key, bar);
      } else {
        ShowAudioBackground(key, r, c, bar);
      }
    }
  }
  audio_colour_index_ = (audio_colour_index_ + 1) % HostEffects::kWheelSize;
}

}  // namespace zt640
