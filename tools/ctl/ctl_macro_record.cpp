// zt640ctl macro record: the macro panel's recording, from the input event nodes.
#include "ctl_macro_record.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/input/device_hook.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"
#include "platform/sync/termination_signal.h"
#include "platform/sync/tick_count.h"
#include "profiles/macro_recorder.h"

namespace zt640::ctl {
namespace {

namespace input = platform::input;

constexpr std::uint8_t kScanCodeCtrl = 0x1D;  // left Ctrl; right Ctrl with the extended flag
constexpr std::uint8_t kScanCodeC = 0x2E;
/// How often the loop looks whether any input device is left.
constexpr int kDeviceCheckMs = 200;

struct RecordOptions {
  MacroRecorder::Timing timing = MacroRecorder::Timing::kRealTime;
  std::uint32_t fixed_delay = MacroRecorder::kDefaultFixedDelay;
  std::optional<std::uint32_t> seconds;
  std::string name;
  std::string error;
};

bool ParseNumber(const std::string& text, std::uint64_t limit, std::uint32_t* value) {
  if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const std::uint64_t number = std::stoull(text);
  if (number > limit) return false;
  *value = static_cast<std::uint32_t>(number);
  return true;
}

RecordOptions ParseRecordOptions(const std::vector<std::string>& words) {
  RecordOptions options;
  std::vector<std::string> names;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool has_value = i + 1 < words.size();
    if (word == "--timing") {
      const std::string mode = has_value ? words[++i] : "";
      if (mode == "real") {
        options.timing = MacroRecorder::Timing::kRealTime;
      } else if (mode == "none") {
        options.timing = MacroRecorder::Timing::kIgnore;
      } else if (mode == "fixed") {
        options.timing = MacroRecorder::Timing::kFixed;
        if (i + 1 >= words.size() || !ParseNumber(words[++i], MacroRecorder::kMaxDelay, &options.fixed_delay)) {
          options.error = "--timing fixed needs a delay of 0 to 65535 ms";
          return options;
        }
      } else {
        options.error = "--timing is real, fixed MS or none";
        return options;
      }
    } else if (word == "--seconds") {
      std::uint32_t seconds = 0;
      if (!has_value || !ParseNumber(words[++i], 24u * 3600u, &seconds) || seconds == 0) {
        options.error = "--seconds needs a number of seconds from 1 to 86400";
        return options;
      }
      options.seconds = seconds;
    } else {
      names.push_back(word);
    }
  }
  if (names.size() != 1) {
    options.error = "record needs one macro name";
  } else {
    options.name = names[0];
  }
  return options;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

/// The position of the macro named `name` (case ignored, as names are unique that way),
/// creating it when missing; -1 with a message printed when it cannot be.
int FindOrCreateMacro(const CtlDataOptions& options, MacroLibrary& library, const std::string& name) {
  for (size_t i = 0; i < library.Entries().size(); ++i) {
    if (Lower(library.Entries()[i].name) == Lower(name)) return static_cast<int>(i);
  }
  if (name.find_first_not_of(" \t") == std::string::npos || name.find('&') != std::string::npos) {
    std::fprintf(stderr, "zt640ctl macro: '%s' cannot be a macro name\n", name.c_str());
    return -1;
  }
  if (Report(options, "macro", library.AddMacro()) != 0) return -1;
  const int position = static_cast<int>(library.Entries().size()) - 1;
  library.SelectMacro(position);
  library.SetNameEditText(name);
  if (Report(options, "macro", library.RenameMacro()) != 0) return -1;
  std::printf("created macro %d %s\n", position, name.c_str());
  return position;
}

void PrintEvent(const CtlDataOptions& options, const MacroEventEntry& entry, size_t index) {
  const bool press = entry.labels.action_style == "macro_label_down_style";
  const std::string name = entry.labels.name_key.empty() ? "?" : EnglishText(options, entry.labels.name_key);
  std::printf("%zu\t%s\t%s\n", index, press ? "down" : "up", name.c_str());
  std::fflush(stdout);
}

/// The recording: hook messages into the recorder, and the Ctrl+C chord, which stops
/// the recording without being recorded (the keyboard is grabbed, so the terminal never
/// sees it).
class Recording {
 public:
  Recording(const CtlDataOptions& options, std::vector<MacroEventEntry>& events)
      : options_(options), events_(events), recorder_([this] { return event_time_ms_; }) {}

  void Begin(MacroRecorder::Timing timing, std::uint32_t fixed_delay) {
    recorder_.SetFixedDelay(fixed_delay);
    event_time_ms_ = platform::GetTickCount();
    recorder_.Begin(static_cast<int>(timing));
  }
  [[nodiscard]] bool StopAsked() const { return stop_asked_; }

  std::int64_t Handle(const platform::WindowMessage& message) {
    if (message.message == keyboard_message_) {
      const auto* record = reinterpret_cast<const input::KeyHookRecord*>(static_cast<std::intptr_t>(message.lparam));
      OnKey(static_cast<std::uint32_t>(message.wparam), *record);
    } else if (message.message == mouse_message_) {
      const auto* record = reinterpret_cast<const input::MouseHookRecord*>(static_cast<std::intptr_t>(message.lparam));
      // Delays follow each event's own time stamp, not the time it is handled.
      event_time_ms_ = record->time_ms;
      Show(recorder_.OnMouseEvent(kMode, static_cast<std::uint32_t>(message.wparam), *record, false, List()));
    }
    return 0;
  }

 private:
  void OnKey(std::uint32_t message_id, const input::KeyHookRecord& record) {
    if (stop_asked_) return;
    const bool press = input::IsKeyPress(message_id);
    if (record.scan_code == kScanCodeCtrl) {
      if (press && !ctrl_held_) events_before_ctrl_ = events_.size();
      ctrl_held_ = press;
    }
    if (press && ctrl_held_ && record.scan_code == kScanCodeC && !record.extended) {
      // Ctrl+C ends the recording; the Ctrl press that began the chord is taken out again.
      events_.resize(std::min(events_.size(), events_before_ctrl_));
      stop_asked_ = true;
      return;
    }
    event_time_ms_ = record.time_ms;
    Show(recorder_.OnKeyEvent(kMode, message_id, record, List()));
  }

  [[nodiscard]] MacroEventList List() { return MacroEventList{events_, selected_}; }

  void Show(MacroRecorder::Outcome outcome) {
    if (outcome == MacroRecorder::Outcome::kAdded) PrintEvent(options_, events_.back(), events_.size() - 1);
    if (outcome == MacroRecorder::Outcome::kIgnored && events_.size() >= MacroFile::kMaxListEntries &&
        !full_reported_) {
      full_reported_ = true;
      std::fprintf(stderr, "zt640ctl macro: the event list is full (%zu events)\n", MacroFile::kMaxListEntries);
    }
  }

  static constexpr input::HookMode kMode = input::HookMode::kRecordAppend;

  const CtlDataOptions& options_;
  std::vector<MacroEventEntry>& events_;
  int selected_ = -1;
  std::uint32_t event_time_ms_ = 0;  ///< time stamp of the event being recorded
  MacroRecorder recorder_;
  const std::uint32_t keyboard_message_ =
      platform::RegisterWindowMessage(input::KeyboardMessageName(input::HookMode::kRecordAppend));
  const std::uint32_t mouse_message_ =
      platform::RegisterWindowMessage(input::MouseMessageName(input::HookMode::kRecordAppend));
  bool ctrl_held_ = false;
  size_t events_before_ctrl_ = 0;
  bool stop_asked_ = false;
  bool full_reported_ = false;
};

}  // namespace

int RecordMacro(const CtlDataOptions& options, MacroLibrary& library, const std::vector<std::string>& words) {
  const RecordOptions record = ParseRecordOptions(words);
  if (!record.error.empty()) {
    std::fprintf(stderr, "zt640ctl macro: %s\n", record.error.c_str());
    return 2;
  }
  const int signal_fd = platform::TerminationSignal::Install();
  if (signal_fd < 0) return 1;
  const int position = FindOrCreateMacro(options, library, record.name);
  if (position < 0) return 1;
  library.SelectMacro(position);

  platform::MessageQueue queue;
  Recording recording(options, library.Events());
  queue.SetHandler([&recording](const platform::WindowMessage& message) { return recording.Handle(message); });
  recording.Begin(record.timing, record.fixed_delay);
  input::CDeviceHook hook;
  if (hook.Start(input::HookMode::kRecordAppend, input::HookTarget{&queue}, true, true) != input::CDeviceHook::kStarted) {
    std::fprintf(stderr,
                 "zt640ctl macro: the keyboard and mouse cannot be read: %s\n"
                 "  recording needs read access to /dev/input/event* (see README, \"Recording macros\")\n",
                 input::CDeviceHook::LastError().c_str());
    return 1;
  }
  std::printf("recording into macro %d %s; Ctrl+C stops\n", position, record.name.c_str());
  std::fflush(stdout);

  const std::uint32_t started = platform::GetTickCount();
  const std::uint64_t limit_ms = record.seconds ? std::uint64_t{*record.seconds} * 1000u : 0;
  const char* why = "stopped";
  while (true) {
    int timeout = kDeviceCheckMs;
    if (limit_ms != 0) {
      const std::uint32_t elapsed = platform::GetTickCount() - started;
      if (elapsed >= limit_ms) {
        why = "time is up";
        break;
      }
      timeout = static_cast<int>(std::min<std::uint64_t>(limit_ms - elapsed, kDeviceCheckMs));
    }
    pollfd fds[2] = {{queue.WakeFd(), POLLIN, 0}, {signal_fd, POLLIN, 0}};
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    queue.Dispatch();
    if (recording.StopAsked()) break;
    if (platform::TerminationSignal::TakePending() != 0) break;
    if (input::CDeviceHook::OpenInputDeviceCount() == 0) {
      why = "no input device is left";
      break;
    }
  }
  hook.Stop();  // gives the keyboards back before anything else
  queue.Close();
  std::printf("%s; %zu events\n", why, library.Events().size());
  const int status = Report(options, "macro", library.SaveSelectedMacro());
  if (status == 0) std::printf("saved macro %d %s\n", position, record.name.c_str());
  return status;
}

}  // namespace zt640::ctl
