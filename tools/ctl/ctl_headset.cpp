// zt640ctl headset: the headset's sound settings and lighting through the
// device operations the window uses.
//
// Sound state lives in the headset's profile: each run starts from it. With
// `--audio fake` the in-memory audio layer is seeded from the profile before
// the device reads it, so a run sees the state earlier runs left, and the
// properties each verb wrote are listed as `audio NAME=VALUE` lines.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ctl_command.h"
#include "ctl_light_options.h"
#include "ctl_lighting_device.h"
#include "devices/headset/kalvex_hs6533_device.h"
#include "interface_finder.h"
#include "platform/audio/alsa_audio_library.h"
#include "platform/audio/audio_property_names.h"
#include "platform/audio/fake_audio_library.h"

namespace zt640::ctl {
namespace {

namespace property = platform::audio_property;
using platform::AudioFlow;
using platform::FakeAudioLibrary;

constexpr char kCommand[] = "headset";
constexpr int kMaxPercent = 100;
constexpr int kVoiceEffects = 4;
/// The gains a band takes from the command line (the presets stay within them).
constexpr int kLowestGain = -20;
constexpr int kHighestGain = 20;

int Usage() {
  std::fprintf(stderr,
               "usage: zt640ctl headset [--audio alsa|fake] show | eq N | band K GAIN | curve save NAME | "
               "curve delete | mic on|off|VOLUME | monitor on|off|VOLUME | magic on|off|1-4 | "
               "light --mode N [--brightness B] [--speed S] [--direction D] [--multicolour 0|1] [--colour RRGGBB]\n");
  return 2;
}

std::optional<int> InRange(const std::string& text, long low, long high) {
  const auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

/// True when the words form a verb this command knows, checked before the
/// headset is opened so malformed input sends nothing.
bool WellFormed(const std::vector<std::string>& words) {
  if (words.empty()) return false;
  const std::string& verb = words[0];
  const size_t count = words.size();
  const auto switch_or_number = [&](long high) {
    return count == 2 && (words[1] == "on" || words[1] == "off" || InRange(words[1], 0, high).has_value());
  };
  if (verb == "show") return count == 1;
  if (verb == "eq") return count == 2 && InRange(words[1], 1, HeadsetEqualiser::kCustomType).has_value();
  if (verb == "band") {
    return count == 3 && InRange(words[1], 0, kEqBandCount - 1) && InRange(words[2], kLowestGain, kHighestGain);
  }
  if (verb == "curve") {
    return (count == 3 && words[1] == "save" && !words[2].empty()) || (count == 2 && words[1] == "delete");
  }
  if (verb == "mic" || verb == "monitor") return switch_or_number(kMaxPercent);
  if (verb == "magic") return switch_or_number(kVoiceEffects) && words[1] != "0";
  if (verb == "light") return LightOptionsValid(words);
  return false;
}

/// Gives the fake layer the profile's sound state, as a sound card would hold
/// it from the last run.
void SeedFromProfile(FakeAudioLibrary::State& state, const CKalvexHS6533Device& device) {
  const HeadsetOptions& sound = device.Sound();
  const auto scalar = [](int percent) { return std::to_string(static_cast<double>(percent) / kMaxPercent); };
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kMute, sound.mic_in_select != 0 ? "0" : "1");
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kVolumeScalar, scalar(sound.mic_in_value));
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kMonitorMute, sound.mic_monitor_select != 0 ? "0" : "1");
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kMonitorVolumeScalar, scalar(sound.mic_monitor_value));
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kVoiceChangerEnable, std::to_string(sound.magic_enable));
  FakeAudioLibrary::Set(state, AudioFlow::kCapture, property::kVoiceChangerSelection,
                        std::to_string(std::max(sound.magic_type - 1, 0)));
  for (size_t k = 0; k < device.Bands().size(); ++k) {
    FakeAudioLibrary::Set(state, AudioFlow::kRender, property::EqualiserSlider(static_cast<int>(k) + 1),
                          std::to_string(device.Bands()[k]));
  }
}

/// Lists the properties written since the last call, each once, in order.
void PrintWrites(FakeAudioLibrary::State& state) {
  std::vector<std::pair<AudioFlow, std::string>> seen;
  for (const auto& write : FakeAudioLibrary::TakeWrites(state)) {
    const std::pair<AudioFlow, std::string> key{write.flow, write.name};
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    const auto value = FakeAudioLibrary::Get(state, write.flow, write.name);
    std::printf("audio %s=%s\n", write.name.c_str(), value ? value->c_str() : "");
  }
}

int Show(const CKalvexHS6533Device& device) {
  const HeadsetOptions& sound = device.Sound();
  PrintLightLine(device);
  std::printf("eq=%d custom=%d mic=%d mic_volume=%d monitor=%d monitor_volume=%d magic=%d magic_type=%d\n",
              sound.eq_type, sound.custom_eq_index, sound.mic_in_select, sound.mic_in_value, sound.mic_monitor_select,
              sound.mic_monitor_value, sound.magic_enable, sound.magic_type);
  for (size_t k = 0; k < device.Bands().size(); ++k) std::printf("band=%zu gain=%d\n", k, device.Bands()[k]);
  const auto& names = device.CustomCurveNames();
  for (size_t i = 0; i < names.size(); ++i) std::printf("curve=%zu name=%s\n", i, names[i].c_str());
  if (!device.AudioReady()) std::printf("audio=unavailable\n");
  return 0;
}

/// The exit status of a sound action, told on stderr when it failed.
int Reported(SoundActionResult result) {
  switch (result) {
    case SoundActionResult::kDone:
      return 0;
    case SoundActionResult::kNothing:
      std::fprintf(stderr, "zt640ctl headset: nothing to do: nothing changed\n");
      return 1;
    case SoundActionResult::kUnavailable:
      std::fprintf(stderr, "zt640ctl headset: sound settings are unavailable: nothing changed\n");
      return 1;
    case SoundActionResult::kRefusedFull:
      std::fprintf(stderr, "zt640ctl headset: there are already %zu custom curves: nothing changed\n",
                   HeadsetEqualiser::kMaxCustomCurves);
      return 1;
    case SoundActionResult::kRefusedDuplicate:
      std::fprintf(stderr, "zt640ctl headset: %s: a custom curve of that name exists: nothing changed\n",
                   CKalvexHS6533Device::kDuplicateNameMessage);
      return 1;
  }
  return 1;
}

/// `mic`/`monitor` on, off or a volume.
SoundActionResult Capture(CKalvexHS6533Device& device, bool monitor, const std::string& word) {
  if (word == "on" || word == "off") {
    return monitor ? device.SetMonitorOn(word == "on") : device.SetMicrophoneOn(word == "on");
  }
  const int volume = *InRange(word, 0, kMaxPercent);
  return monitor ? device.SetMonitorVolume(volume) : device.SetMicrophoneVolume(volume);
}

/// A moved band is kept by the selected custom curve. Without one, as in the
/// window, nothing is stored: the profile keeps its equaliser choice and only
/// the headset holds the band.
SoundActionResult Band(CKalvexHS6533Device& device, int band, int gain) {
  const SoundActionResult moved = device.MoveBand(band, gain);
  if (moved != SoundActionResult::kDone) return moved;
  const int selected = device.Sound().custom_eq_index;
  if (selected >= 0 && static_cast<size_t>(selected) < device.CustomCurveNames().size()) {
    device.SetCurveNameText({});
    return device.SaveCustomCurve();
  }
  std::fprintf(stderr, "zt640ctl headset: no custom curve is selected: the band is not kept in the profile "
                       "(save a curve first)\n");
  return SoundActionResult::kDone;
}

SoundActionResult Sound(CKalvexHS6533Device& device, const std::vector<std::string>& words) {
  const std::string& verb = words[0];
  if (verb == "eq") return device.ChooseEqualiser(*InRange(words[1], 1, HeadsetEqualiser::kCustomType));
  if (verb == "band") {
    return Band(device, *InRange(words[1], 0, kEqBandCount - 1), *InRange(words[2], kLowestGain, kHighestGain));
  }
  if (verb == "curve" && words[1] == "save") {
    device.SetCurveNameText(words[2]);
    return device.SaveCustomCurve();
  }
  if (verb == "curve") return device.DeleteCustomCurve();
  if (verb == "mic" || verb == "monitor") return Capture(device, verb == "monitor", words[1]);
  if (words[1] == "on" || words[1] == "off") return device.SetVoiceChanger(words[1] == "on");
  return device.ChooseVoiceEffect(*InRange(words[1], 1, kVoiceEffects));
}

/// Takes `--audio alsa|fake` out of the words; false for another value.
bool TakeAudioOption(std::vector<std::string>* words, platform::AudioBackend* backend) {
  const auto option = std::find(words->begin(), words->end(), "--audio");
  if (option == words->end()) return true;
  if (option + 1 == words->end()) return false;
  const std::string value = *(option + 1);
  if (value != "alsa" && value != "fake") return false;
  *backend = value == "fake" ? platform::AudioBackend::kFake : platform::AudioBackend::kAlsa;
  words->erase(option, option + 2);
  return true;
}

int RunHeadset(const CtlArgs& args) {
  std::vector<std::string> words = args.words;
  platform::AudioBackend backend = platform::AudioBackend::kAlsa;
  if (!TakeAudioOption(&words, &backend) || !WellFormed(words)) return Usage();
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const DeviceTypeInfo type =
      DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(InterfaceCatalogue::kHeadsetType)]);
  CKalvexHS6533Device device(LocateProfileFolders(), type.folder_name);
  if (!PrepareLightingDevice(device, catalogue, InterfaceCatalogue::kHeadsetType, DeviceKind::kHeadset, kCommand)) {
    return 1;
  }
  std::string path;
  if (!OpenLightingDevice(device, catalogue, DeviceKind::kHeadset, kCommand, &path)) return 1;
  if (words[0] == "light") return RunLightVerb(device, words, kCommand, Usage);

  std::unique_ptr<platform::AudioControlLibrary> library;
  std::shared_ptr<FakeAudioLibrary::State> fake;
  if (backend == platform::AudioBackend::kFake) {
    auto fake_library = std::make_unique<FakeAudioLibrary>();
    fake = fake_library->Shared();
    SeedFromProfile(*fake, device);
    library = std::move(fake_library);
  } else {
    library = platform::MakeHeadsetAudioLibrary(backend, path);
  }
  device.ReplaceAudio(std::make_unique<platform::HeadsetAudioBinding>(std::move(library)));
  if (fake) (void)FakeAudioLibrary::TakeWrites(*fake);  // start-up writes are not the verb's
  if (words[0] == "show") return Show(device);
  const int status = Reported(Sound(device, words));
  if (fake) PrintWrites(*fake);
  if (status == 0) std::printf("ok %s\n", words[0].c_str());
  return status;
}

const CtlRegistration registration{
    {"headset", "headset show|eq|band|curve|mic|monitor|magic|light  the headset's sound, lighting and active profile",
     RunHeadset}};

}  // namespace
}  // namespace zt640::ctl
