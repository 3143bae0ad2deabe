#include "platform/audio/fake_audio_library.h"

#include <cstdio>
#include <cstring>

#include "platform/audio/audio_property_names.h"

namespace zt640::platform {
namespace {

namespace property = audio_property;

constexpr uint32_t kRenderKind = 1;
constexpr uint32_t kCaptureKind = 2;
constexpr uint32_t kRenderId = 0x10;
constexpr uint32_t kCaptureId = 0x20;

std::string FloatText(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%f", static_cast<double>(value));
  return text;
}

}  // namespace

FakeAudioLibrary::FakeAudioLibrary() {
  auto& values = state_->values;
  const auto render = [&values](std::string_view name, std::string text) {
    values[{AudioFlow::kRender, std::string(name)}] = std::move(text);
  };
  const auto capture = [&values](std::string_view name, std::string text) {
    values[{AudioFlow::kCapture, std::string(name)}] = std::move(text);
  };
  // Capture feature word 0 says the voice changer's state can be read.
  render(property::kSupportFeature, "0,0,0,0,0,0,0");
  capture(property::kSupportFeature, "131072,0,0,0,0,0,0");
  render(property::kEqualiserEnable, "0");
  for (int band = 1; band <= property::kEqualiserBands; ++band) render(property::EqualiserSlider(band), "0");
  render(property::kRoomEffectEnable, "0");
  render(property::kRoomEnvironment, "0");
  render(property::kRoomSize, "0");
  render(property::kVirtualSurround, "0");
  capture(property::kMaxVolume, "30.000000");
  capture(property::kMinVolume, "-12.000000");
  capture(property::kVolumeStep, "0.500000");
  capture(property::kVolume, "9.000000");
  capture(property::kVolumeScalar, "0.500000");
  capture(property::kMute, "0");
  capture(property::kMonitorMaxVolume, "12.000000");
  capture(property::kMonitorMinVolume, "-30.000000");
  capture(property::kMonitorVolumeStep, "1.000000");
  capture(property::kMonitorVolume, "-9.000000");
  capture(property::kMonitorVolumeScalar, "0.500000");
  capture(property::kMonitorMute, "1");
  capture(property::kNoiseCancelEnable, "0");
  capture(property::kVoiceChangerEnable, "0");
  capture(property::kVoiceChangerSelection, "0");
  capture(property::kMicEchoEnable, "0");
}

int FakeAudioLibrary::ConfLibInit() {
  std::lock_guard lock(state_->mutex);
  return state_->init_result;
}

int FakeAudioLibrary::CreateDeviceList() { return kAudioCallOk; }

int FakeAudioLibrary::GetDeviceCount(AudioFlow flow, uint32_t* count) {
  std::lock_guard lock(state_->mutex);
  *count = flow == AudioFlow::kRender ? state_->render_endpoints : 1;
  return kAudioCallOk;
}

int FakeAudioLibrary::GetDeviceById(AudioFlow flow, uint32_t index, AudioEndpointRecord* record) {
  if (index != 0) return kFailed;
  *record = flow == AudioFlow::kRender
                ? AudioEndpointRecord{kRenderId, kRenderKind, 0, AudioEndpointRecord::kUsable}
                : AudioEndpointRecord{kCaptureId, kCaptureKind, 0, AudioEndpointRecord::kUsable};
  return kAudioCallOk;
}

int FakeAudioLibrary::PropertyControl(AudioEndpointRecord endpoint, std::string_view name, AudioValueBuffer* value,
                                      AudioValueBuffer* channel, PropertyDirection direction) {
  if (value == nullptr) return kFailed;
  AudioFlow flow = AudioFlow::kRender;
  if (endpoint.id == kCaptureId) {
    flow = AudioFlow::kCapture;
  } else if (endpoint.id != kRenderId) {
    return kFailed;
  }
  std::lock_guard lock(state_->mutex);
  if (state_->failing.contains(std::string(name))) return kFailed;
  const auto found = state_->values.find({flow, std::string(name)});
  if (found == state_->values.end()) return kFailed;
  if (direction == PropertyDirection::kRead) {
    if (state_->unreadable.contains(std::string(name))) return kFailed;
    value->fill(0);
    std::memcpy(value->data(), found->second.data(), std::min(found->second.size(), value->size() - 1));
    return kAudioCallOk;
  }
  Write write;
  write.flow = flow;
  write.name = std::string(name);
  std::memcpy(&write.integer, value->data(), sizeof(write.integer));
  std::memcpy(&write.scalar, value->data(), sizeof(write.scalar));
  if (channel != nullptr) {
    int32_t selector = 0;
    std::memcpy(&selector, channel->data(), sizeof(selector));
    write.channel = selector;
  }
  found->second = property::IsScalarVolume(name) ? FloatText(write.scalar) : std::to_string(write.integer);
  state_->writes.push_back(std::move(write));
  return kAudioCallOk;
}

void FakeAudioLibrary::Set(State& state, AudioFlow flow, std::string_view name, std::string text) {
  std::lock_guard lock(state.mutex);
  state.values[{flow, std::string(name)}] = std::move(text);
}

std::optional<std::string> FakeAudioLibrary::Get(State& state, AudioFlow flow, std::string_view name) {
  std::lock_guard lock(state.mutex);
  const auto found = state.values.find({flow, std::string(name)});
  if (found == state.values.end()) return std::nullopt;
  return found->second;
}

void FakeAudioLibrary::Fail(State& state, std::string_view name) {
  std::lock_guard lock(state.mutex);
  state.failing.insert(std::string(name));
}

void FakeAudioLibrary::FailReads(State& state, std::string_view name) {
  std::lock_guard lock(state.mutex);
  state.unreadable.insert(std::string(name));
}

std::vector<FakeAudioLibrary::Write> FakeAudioLibrary::TakeWrites(State& state) {
  std::lock_guard lock(state.mutex);
  std::vector<Write> writes;
  writes.swap(state.writes);
  return writes;
}

}  // namespace zt640::platform
