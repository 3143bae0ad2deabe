#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/audio/audio_control_library.h"
#include "platform/audio/audio_endpoint_record.h"

namespace zt640::platform {

/// The headset's binding to its audio-control layer: start-up (init, the two
/// endpoints, their feature words, the property reset) and typed property
/// reads and writes on the render or capture endpoint. Without a layer, or
/// before a successful start-up, every read and write fails and nothing is
/// called.
///
/// Not thread-safe: all calls come from one thread (the owner's).
class HeadsetAudioBinding {
 public:
  /// Receives the binding's user-facing failure texts ("ConfLibInit called
  /// failed!", "UpdateAPOAvailable failed!").
  using Notice = std::function<void(std::string_view)>;
  static constexpr std::string_view kInitFailedText = "ConfLibInit called failed!";
  static constexpr std::string_view kFeatureListFailedText = "UpdateAPOAvailable failed!";
  /// Feature items kept from "GetSupportFeature": items 0, 4 and 6.
  static constexpr std::array<size_t, 3> kFeatureItems{0, 4, 6};
  static constexpr size_t kMinFeatureItems = 7;
  using FeatureWords = std::array<uint32_t, 3>;

  /// `library` may be null (no audio-control layer found). `notice` defaults
  /// to the diagnostic output.
  explicit HeadsetAudioBinding(std::unique_ptr<AudioControlLibrary> library, Notice notice = nullptr);
  ~HeadsetAudioBinding();
  HeadsetAudioBinding(const HeadsetAudioBinding&) = delete;
  HeadsetAudioBinding& operator=(const HeadsetAudioBinding&) = delete;

  /// Init, endpoint choice, feature words and property reset. True when the
  /// binding can serve properties afterwards (a render endpoint was listed).
  bool StartUp();
  [[nodiscard]] bool Loaded() const { return library_ != nullptr; }
  [[nodiscard]] bool Ready() const { return ready_; }
  [[nodiscard]] const FeatureWords& Features(AudioFlow flow) const;
  [[nodiscard]] std::optional<AudioEndpointRecord> Endpoint(AudioFlow flow) const;

  /// The value text of a read; nullopt when the read fails.
  [[nodiscard]] std::optional<std::string> ReadText(AudioFlow flow, std::string_view name,
                                                    std::optional<int32_t> channel = std::nullopt);
  /// A read whose text is a decimal integer; nullopt when it fails or is not one.
  [[nodiscard]] std::optional<int64_t> ReadInteger(AudioFlow flow, std::string_view name,
                                                   std::optional<int32_t> channel = std::nullopt);
  /// A read whose text is a floating-point number.
  [[nodiscard]] std::optional<double> ReadNumber(AudioFlow flow, std::string_view name,
                                                 std::optional<int32_t> channel = std::nullopt);
  /// True when the layer accepted the write.
  [[nodiscard]] bool WriteInteger(AudioFlow flow, std::string_view name, int32_t value,
                                  std::optional<int32_t> channel = std::nullopt);
  [[nodiscard]] bool WriteFloat(AudioFlow flow, std::string_view name, float value,
                                std::optional<int32_t> channel = std::nullopt);

 private:
  /// The raw call with cleared buffers; the layer's result.
  int Call(const AudioEndpointRecord& endpoint, std::string_view name, AudioValueBuffer* value,
           const AudioValueBuffer* channel, PropertyDirection direction);
  /// Writes the value's 4 bytes as they lie in memory, as the layer expects.
  bool WriteBytes(AudioFlow flow, std::string_view name, const void* value, std::optional<int32_t> channel);
  void ChooseEndpoints();
  void ReadFeatures(AudioFlow flow);
  void ResetProperties();
  /// Reads the property; only when that fails writes 0 with the same channel.
  void ResetOne(AudioFlow flow, std::string_view name, const AudioValueBuffer* read_channel,
                const AudioValueBuffer* write_channel);

  std::unique_ptr<AudioControlLibrary> library_;
  Notice notice_;
  bool ready_ = false;
  std::optional<AudioEndpointRecord> render_;
  std::optional<AudioEndpointRecord> capture_;
  FeatureWords render_features_{};
  FeatureWords capture_features_{};
};

}  // namespace zt640::platform
