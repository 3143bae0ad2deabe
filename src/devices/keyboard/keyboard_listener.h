#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "devices/worker_thread.h"
#include "transport/hid_device.h"

namespace zt640 {

/// What one report of the keyboard's synchronisation interface asks for.
struct ListenerEvent {
  enum class Kind { kSync, kReload, kSlot, kKeyDown, kKeyUp };
  Kind kind = Kind::kSync;
  uint16_t usage = 0;
  uint8_t slot = 0;          ///< kSlot: the new active slot (low 4 bits)
  bool has_sub_code = false; ///< kSlot from a 0x11 report
  uint8_t sub_code = 0;      ///< bits 4-7 of the low byte, for settings byte 17
  uint8_t device_key = 0;    ///< kKeyDown / kKeyUp
  friend bool operator==(const ListenerEvent&, const ListenerEvent&) = default;
};

/// Decodes one consumer usage: 0x0401 sync, 0x0402 reload, 0x10nn / 0x11nn
/// slot change, 0x05kk / 0x06kk key down / up. Anything else: nullopt.
[[nodiscard]] std::optional<ListenerEvent> DecodeListenerUsage(uint32_t usage);

/// The first usage of the first input item of a report unpacked with the
/// interface's descriptor; nullopt when it does not unpack or carries none.
[[nodiscard]] std::optional<uint32_t> FirstInputUsage(HidDevice& hid, std::span<const uint8_t> report);

/// One listener thread on the keyboard's synchronisation interface (cable
/// kind 1 or receiver kind 9). It blocks in a read without time-out and hands
/// each decoded report to the handler on its own thread; Stop closes the
/// interface to cut that read short.
class KeyboardListener {
 public:
  using Handler = std::function<void(const ListenerEvent&)>;
  static constexpr std::chrono::milliseconds kStopWait{500};

  explicit KeyboardListener(std::string name);
  ~KeyboardListener();
  KeyboardListener(const KeyboardListener&) = delete;
  KeyboardListener& operator=(const KeyboardListener&) = delete;

  /// Closes and reopens the interface at `path`, then starts the thread.
  /// False when the interface cannot be opened.
  [[nodiscard]] bool Start(const std::string& path, Handler handler);
  /// When open: stops the thread (cutting its read short) and closes the interface.
  WorkerThread::StopOutcome Stop();
  [[nodiscard]] bool IsOpen() const;

 private:
  struct Shared {
    std::mutex lock;  ///< held for open and close of hid
    HidDevice hid;
    bool open = false;  ///< guarded by lock
  };

  static void Run(const std::shared_ptr<Shared>& shared, const Handler& handler,
                  const platform::Event& stop);

  std::string name_;
  std::shared_ptr<Shared> shared_;
  WorkerThread thread_;
};

}  // namespace zt640
