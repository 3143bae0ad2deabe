#include "platform/ipc/registered_messages.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ipc/window_message.h"

namespace zt640::platform {

namespace {
struct Table {
  std::mutex mutex;
  std::unordered_map<std::string, std::uint32_t> ids;  ///< guarded by mutex
  std::vector<std::string> names;                      ///< index = id - first id; guarded by mutex
};

Table& TheTable() {
  static Table table;
  return table;
}

bool IsValidName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxMessageNameBytes && name.find('\0') == std::string_view::npos;
}
}  // namespace

std::uint32_t RegisterWindowMessage(std::string_view name) {
  if (!IsValidName(name)) return 0;
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const std::string key(name);
  if (const auto found = table.ids.find(key); found != table.ids.end()) return found->second;
  const std::size_t capacity = kLastRegisteredMessage - kFirstRegisteredMessage + 1;
  if (table.names.size() >= capacity) return 0;
  const auto id = static_cast<std::uint32_t>(kFirstRegisteredMessage + table.names.size());
  table.names.push_back(key);
  table.ids.emplace(key, id);
  return id;
}

std::uint32_t FindRegisteredMessage(std::string_view name) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const auto found = table.ids.find(std::string(name));
  return found == table.ids.end() ? 0 : found->second;
}

std::optional<std::string> RegisteredMessageName(std::uint32_t id) {
  if (id < kFirstRegisteredMessage || id > kLastRegisteredMessage) return std::nullopt;
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const std::size_t index = id - kFirstRegisteredMessage;
  if (index >= table.names.size()) return std::nullopt;
  return table.names[index];
}

}  // namespace zt640::platform
