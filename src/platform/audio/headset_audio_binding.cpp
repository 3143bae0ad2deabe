#include "platform/audio/headset_audio_binding.h"

#include <charconv>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/audio/audio_property_names.h"
#include "platform/diag/debug_output.h"

namespace zt640::platform {
namespace {

namespace property = audio_property;

/// Render endpoint kinds in order of preference; the capture endpoint's kind.
constexpr std::array<uint32_t, 4> kRenderKinds{1, 12, 7, 4};
constexpr uint32_t kCaptureKind = 2;

AudioValueBuffer ChannelBuffer(int32_t channel) {
  AudioValueBuffer buffer{};
  std::memcpy(buffer.data(), &channel, sizeof(channel));
  return buffer;
}

std::string BufferText(const AudioValueBuffer& buffer) {
  const auto* begin = reinterpret_cast<const char*>(buffer.data());
  return std::string(begin, strnlen(begin, buffer.size()));
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

}  // namespace

HeadsetAudioBinding::HeadsetAudioBinding(std::unique_ptr<AudioControlLibrary> library, Notice notice)
    : library_(std::move(library)), notice_(std::move(notice)) {
  if (!notice_) notice_ = [](std::string_view text) { DebugOutput(text); };
}

HeadsetAudioBinding::~HeadsetAudioBinding() = default;

bool HeadsetAudioBinding::StartUp() {
  ready_ = false;
  if (library_ == nullptr) return false;
  if (library_->ConfLibInit() != kAudioCallOk) notice_(kInitFailedText);
  (void)library_->CreateDeviceList();  // its result tells nothing the count does not
  uint32_t render_count = 0;
  if (library_->GetDeviceCount(AudioFlow::kRender, &render_count) != kAudioCallOk || render_count == 0) {
    return false;
  }
  ChooseEndpoints();
  ready_ = render_.has_value() || capture_.has_value();
  if (!ready_) return false;
  ReadFeatures(AudioFlow::kCapture);
  ReadFeatures(AudioFlow::kRender);
  ResetProperties();
  return true;
}

void HeadsetAudioBinding::ChooseEndpoints() {
  render_.reset();
  capture_.reset();
  std::vector<AudioEndpointRecord> renders;
  uint32_t count = 0;
  if (library_->GetDeviceCount(AudioFlow::kRender, &count) == kAudioCallOk) {
    for (uint32_t i = 0; i < count; ++i) {
      AudioEndpointRecord record;
      if (library_->GetDeviceById(AudioFlow::kRender, i, &record) == kAudioCallOk) renders.push_back(record);
    }
  }
  for (uint32_t kind : kRenderKinds) {
    for (const AudioEndpointRecord& record : renders) {
      if (record.kind == kind && record.state == AudioEndpointRecord::kUsable) {
        render_ = record;
        break;
      }
    }
    if (render_) break;
  }
  count = 0;
  if (library_->GetDeviceCount(AudioFlow::kCapture, &count) == kAudioCallOk) {
    for (uint32_t i = 0; i < count && !capture_; ++i) {
      AudioEndpointRecord record;
      if (library_->GetDeviceById(AudioFlow::kCapture, i, &record) == kAudioCallOk && record.kind == kCaptureKind) {
        capture_ = record;
      }
    }
  }
}

void HeadsetAudioBinding::ReadFeatures(AudioFlow flow) {
  const auto endpoint = Endpoint(flow);
  if (!endpoint) return;
  AudioValueBuffer value{};
  if (Call(*endpoint, property::kSupportFeature, &value, nullptr, PropertyDirection::kRead) != kAudioCallOk) return;
  const std::vector<std::string> items = SplitCommas(BufferText(value));
  if (items.size() < kMinFeatureItems) {
    notice_(kFeatureListFailedText);
    return;
  }
  FeatureWords& words = flow == AudioFlow::kRender ? render_features_ : capture_features_;
  for (size_t i = 0; i < kFeatureItems.size(); ++i) {
    words[i] = static_cast<uint32_t>(ParseInteger(items[kFeatureItems[i]]).value_or(0));
  }
}

void HeadsetAudioBinding::ResetProperties() {
  const AudioValueBuffer master = ChannelBuffer(property::kMasterChannel);
  const AudioValueBuffer channel0 = ChannelBuffer(property::kChannel0);
  // The surround step carries a 12-byte parameter block where the channel goes.
  AudioValueBuffer surround{};
  const std::array<int32_t, 3> surround_block{4, -1, 0};
  std::memcpy(surround.data(), surround_block.data(), sizeof(surround_block));

  ResetOne(AudioFlow::kRender, property::kVirtualSurround, &surround, &surround);
  ResetOne(AudioFlow::kCapture, property::kNoiseCancelEnable, &master, nullptr);
  ResetOne(AudioFlow::kCapture, property::kVolume, &master, &master);
  ResetOne(AudioFlow::kRender, property::kEqualiserEnable, nullptr, nullptr);
  for (int band = 1; band <= property::kEqualiserBands; ++band) {
    ResetOne(AudioFlow::kRender, property::EqualiserSlider(band), nullptr, nullptr);
  }
  ResetOne(AudioFlow::kRender, property::kRoomEffectEnable, nullptr, nullptr);
  ResetOne(AudioFlow::kRender, property::kRoomEnvironment, nullptr, nullptr);
  ResetOne(AudioFlow::kRender, property::kRoomSize, nullptr, nullptr);
  ResetOne(AudioFlow::kCapture, property::kMute, nullptr, nullptr);
  ResetOne(AudioFlow::kCapture, property::kVolumeScalar, &master, &master);
  ResetOne(AudioFlow::kCapture, property::kMonitorVolume, &channel0, &channel0);
  ResetOne(AudioFlow::kCapture, property::kMonitorMute, nullptr, nullptr);
  ResetOne(AudioFlow::kCapture, property::kMonitorVolumeScalar, &channel0, &channel0);
  ResetOne(AudioFlow::kCapture, property::kVoiceChangerEnable, nullptr, nullptr);
  ResetOne(AudioFlow::kCapture, property::kVoiceChangerSelection, nullptr, nullptr);
}

void HeadsetAudioBinding::ResetOne(AudioFlow flow, std::string_view name, const AudioValueBuffer* read_channel,
                                   const AudioValueBuffer* write_channel) {
  const auto endpoint = Endpoint(flow);
  if (!endpoint) return;
  AudioValueBuffer value{};
  if (Call(*endpoint, name, &value, read_channel, PropertyDirection::kRead) == kAudioCallOk) return;
  value.fill(0);
  if (Call(*endpoint, name, &value, write_channel, PropertyDirection::kWrite) != kAudioCallOk) {
    DebugOutput("audio property not reset: " + std::string(name));
  }
}

int HeadsetAudioBinding::Call(const AudioEndpointRecord& endpoint, std::string_view name, AudioValueBuffer* value,
                              const AudioValueBuffer* channel, PropertyDirection direction) {
  // The layer gets its own copy of the channel selector, cleared but for it.
  AudioValueBuffer channel_copy{};
  if (channel != nullptr) channel_copy = *channel;
  return library_->PropertyControl(endpoint, name, value, channel != nullptr ? &channel_copy : nullptr, direction);
}

const HeadsetAudioBinding::FeatureWords& HeadsetAudioBinding::Features(AudioFlow flow) const {
  return flow == AudioFlow::kRender ? render_features_ : capture_features_;
}

std::optional<AudioEndpointRecord> HeadsetAudioBinding::Endpoint(AudioFlow flow) const {
  return flow == AudioFlow::kRender ? render_ : capture_;
}

std::optional<std::string> HeadsetAudioBinding::ReadText(AudioFlow flow, std::string_view name,
                                                         std::optional<int32_t> channel) {
  const auto endpoint = Endpoint(flow);
  if (!ready_ || !endpoint) return std::nullopt;
  AudioValueBuffer value{};
  const AudioValueBuffer channel_buffer = ChannelBuffer(channel.value_or(0));
  if (Call(*endpoint, name, &value, channel ? &channel_buffer : nullptr, PropertyDirection::kRead) != kAudioCallOk) {
    return std::nullopt;
  }
  return BufferText(value);
}

std::optional<int64_t> HeadsetAudioBinding::ReadInteger(AudioFlow flow, std::string_view name,
                                                        std::optional<int32_t> channel) {
  const auto text = ReadText(flow, name, channel);
  if (!text) return std::nullopt;
  return ParseInteger(*text);
}

std::optional<double> HeadsetAudioBinding::ReadNumber(AudioFlow flow, std::string_view name,
                                                      std::optional<int32_t> channel) {
  const auto text = ReadText(flow, name, channel);
  if (!text) return std::nullopt;
  std::string_view view = *text;
  while (!view.empty() && view.front() == ' ') view.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (error != std::errc() || end == view.data()) return std::nullopt;
  return value;
}

bool HeadsetAudioBinding::WriteBytes(AudioFlow flow, std::string_view name, const void* value,
                                     std::optional<int32_t> channel) {
  const auto endpoint = Endpoint(flow);
  if (!ready_ || !endpoint) return false;
  AudioValueBuffer buffer{};
  std::memcpy(buffer.data(), value, sizeof(int32_t));
  const AudioValueBuffer channel_buffer = ChannelBuffer(channel.value_or(0));
  return Call(*endpoint, name, &buffer, channel ? &channel_buffer : nullptr, PropertyDirection::kWrite) ==
         kAudioCallOk;
}

bool HeadsetAudioBinding::WriteInteger(AudioFlow flow, std::string_view name, int32_t value,
                                       std::optional<int32_t> channel) {
  return WriteBytes(flow, name, &value, channel);
}

bool HeadsetAudioBinding::WriteFloat(AudioFlow flow, std::string_view name, float value,
                                     std::optional<int32_t> channel) {
  static_assert(sizeof(float) == sizeof(int32_t));
  return WriteBytes(flow, name, &value, channel);
}

}  // namespace zt640::platform
