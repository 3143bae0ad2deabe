#pragma once

namespace zt640::platform {
class MessageQueue;
}

namespace zt640::platform::input {

/// The window that receives hook messages: its message queue. Every event is handed
/// over with a blocking `MessageQueue::Send`, so the record its lparam points to stays
/// valid while the window handles it; on the queue's own thread the send runs inline.
/// The queue must outlive the running hook (stop the hook before the window goes).
struct HookTarget {
  MessageQueue* queue = nullptr;
};

}  // namespace zt640::platform::input
