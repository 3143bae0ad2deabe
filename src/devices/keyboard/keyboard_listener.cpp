#include "devices/keyboard/keyboard_listener.h"

#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

constexpr uint32_t kSyncUsage = 1025;
constexpr uint32_t kReloadUsage = 1026;

}  // namespace

std::optional<ListenerEvent> DecodeListenerUsage(uint32_t usage) {
  ListenerEvent event;
  event.usage = static_cast<uint16_t>(usage);
  if (usage == kSyncUsage) {
    event.kind = ListenerEvent::Kind::kSync;
    return event;
  }
  if (usage == kReloadUsage) {
    event.kind = ListenerEvent::Kind::kReload;
    return event;
  }
  if (usage <= kReloadUsage || usage > 0xFFFF) return std::nullopt;
  const uint8_t high = static_cast<uint8_t>(usage >> 8);
  const uint8_t low = static_cast<uint8_t>(usage & 0xFF);
  switch (high) {
    case 0x10:
    case 0x11:
      event.kind = ListenerEvent::Kind::kSlot;
      event.slot = low & 0x0F;
      event.has_sub_code = high == 0x11;
      event.sub_code = static_cast<uint8_t>(low >> 4);
      return event;
    case 0x05:
      event.kind = ListenerEvent::Kind::kKeyDown;
      event.device_key = low;
      return event;
    case 0x06:
      event.kind = ListenerEvent::Kind::kKeyUp;
      event.device_key = low;
      return event;
    default:
      return std::nullopt;
  }
}

bool KeyboardListener::Start(const std::string& path, Handler handler) {
  return listener_.Start(path, [handler = std::move(handler)](uint32_t usage) {
    const auto event = DecodeListenerUsage(usage);
    if (!event) return;
    if (event->kind == ListenerEvent::Kind::kSync || event->kind == ListenerEvent::Kind::kReload) {
      platform::DebugOutput("接收到自动添加设备的同步信息要求");
    }
    handler(*event);
  });
}

}  // namespace zt640
