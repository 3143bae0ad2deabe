#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/audio/audio_control_library.h"

namespace zt640::platform {

/// An audio-control layer held in memory: one render endpoint (kind 1) and
/// one capture endpoint (kind 2), both usable, with every property the
/// headset uses. Values are kept as the text a read returns (integers in
/// decimal, volumes as floating point); each accepted write is logged.
/// Tests make single properties fail, or the whole layer absent of endpoints.
///
/// Thread-safe: every member is guarded by mutex_.
class FakeAudioLibrary final : public AudioControlLibrary {
 public:
  struct Write {
    AudioFlow flow = AudioFlow::kRender;
    std::string name;
    int32_t integer = 0;  ///< the first four value bytes as an integer
    float scalar = 0;     ///< the same bytes as a float
    std::optional<int32_t> channel;
  };
  /// What a test shares with the fake after handing it to a binding.
  struct State {
    std::mutex mutex;
    std::map<std::pair<AudioFlow, std::string>, std::string> values;  ///< guarded by mutex
    std::set<std::string> failing;                                    ///< guarded by mutex
    std::set<std::string> unreadable;  ///< reads fail, writes work; guarded by mutex
    std::vector<Write> writes;                                        ///< guarded by mutex
    int init_result = kAudioCallOk;                                   ///< guarded by mutex
    uint32_t render_endpoints = 1;                                    ///< guarded by mutex
  };

  FakeAudioLibrary();
  [[nodiscard]] std::shared_ptr<State> Shared() const { return state_; }

  [[nodiscard]] int ConfLibInit() override;
  [[nodiscard]] int CreateDeviceList() override;
  [[nodiscard]] int GetDeviceCount(AudioFlow flow, uint32_t* count) override;
  [[nodiscard]] int GetDeviceById(AudioFlow flow, uint32_t index, AudioEndpointRecord* record) override;
  [[nodiscard]] int PropertyControl(AudioEndpointRecord endpoint, std::string_view name, AudioValueBuffer* value,
                                    AudioValueBuffer* channel, PropertyDirection direction) override;

  // Helpers for tests, on a shared state.
  static void Set(State& state, AudioFlow flow, std::string_view name, std::string text);
  [[nodiscard]] static std::optional<std::string> Get(State& state, AudioFlow flow, std::string_view name);
  static void Fail(State& state, std::string_view name);
  static void FailReads(State& state, std::string_view name);
  [[nodiscard]] static std::vector<Write> TakeWrites(State& state);

 private:
  static constexpr int kFailed = -1;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace zt640::platform
