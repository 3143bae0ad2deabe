// Listener reports and device replies as the keyboard object meets them: key
// tables and light maps from the device, then a stream of report usages that
// drive the reactive effects.
#include <cstddef>
#include <cstdint>
#include <span>

#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devices/keyboard/keyboard_listener.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zt640;
  if (size < 2) return 0;
  const unsigned key_count = data[0];
  const uint8_t mode = static_cast<uint8_t>(data[1] % 32);
  std::span<const uint8_t> rest(data + 2, size - 2);
  const size_t table_bytes = std::min<size_t>(rest.size(), 3u * key_count);
  const auto table = rest.first(table_bytes);
  rest = rest.subspan(table_bytes);
  const size_t light_bytes = std::min<size_t>(rest.size(), key_count);
  const auto light = rest.first(light_bytes);
  rest = rest.subspan(light_bytes);

  KeyboardKeyMatcher::KeyMap keys{};
  KeyboardKeyMatcher::KeyMap positions{};
  KeyboardKeyMatcher::Match(table, light, key_count, &keys, &positions);
  std::array<uint8_t, 256> ui_of_device{};
  ui_of_device.fill(255);
  for (size_t j = 0; j < KeyboardKeyMatcher::kUiKeyCount; ++j) {
    if (keys[j] != 255 && ui_of_device[keys[j]] == 255) ui_of_device[keys[j]] = static_cast<uint8_t>(j);
  }

  KeyboardEffectRenderer renderer;
  LightState state;
  state.bytes = {mode, 4, 4, 1, 1, 1, 2, 3};
  renderer.SetLightState(state);
  renderer.PrepareMode(mode);
  for (size_t i = 0; i + 1 < rest.size(); i += 2) {
    const uint16_t usage = static_cast<uint16_t>(rest[i] | (rest[i + 1] << 8));
    const auto event = DecodeListenerUsage(usage);
    if (!event) continue;
    if (event->kind == ListenerEvent::Kind::kKeyDown || event->kind == ListenerEvent::Kind::kKeyUp) {
      const uint8_t ui = ui_of_device[event->device_key];
      if (ui != 255) renderer.KeyEvent(ui, event->kind == ListenerEvent::Kind::kKeyDown ? 1 : 2);
    }
    renderer.RenderMode(mode);
  }
  return 0;
}
