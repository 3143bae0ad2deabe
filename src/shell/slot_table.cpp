#include "shell/slot_table.h"

namespace zt640 {

namespace {
bool SameInterface(const InterfaceSlot& slot, const InterfaceCandidate& candidate) {
  return slot.vendor_id == candidate.vendor_id && slot.product_id == candidate.product_id &&
         slot.collection_number == candidate.collection_number &&
         slot.interface_number == candidate.interface_number;
}
}  // namespace

SlotTable::SlotTable(const InterfaceCatalogue& catalogue)
    : catalogue_(catalogue), slots_(catalogue.Rows().begin(), catalogue.Rows().end()) {}

std::optional<InterfaceSlot> SlotTable::Slot(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= slots_.size()) return std::nullopt;
  return slots_[index];
}

bool SlotTable::IsKnownAndFree(const InterfaceCandidate& candidate) const {
  bool known = false;
  for (const InterfaceSlot& row : catalogue_.Rows()) known = known || SameInterface(row, candidate);
  if (!known) return false;
  std::lock_guard lock(mutex_);
  for (const InterfaceSlot& slot : slots_) {
    if (SameInterface(slot, candidate) && slot.IsFree()) return true;
  }
  return false;
}

bool SlotTable::AllSlotsTaken() const {
  std::lock_guard lock(mutex_);
  for (const InterfaceSlot& slot : slots_) {
    // No USB device reports vendor id 0, so a row without ids can never be claimed
    // and would otherwise keep the loop enumerating every interface on every pass.
    if (slot.IsFree() && slot.vendor_id != 0) return false;
  }
  return true;
}

std::optional<std::size_t> SlotTable::Claim(const InterfaceCandidate& candidate) {
  bool listed = false;
  for (const InterfaceSlot& row : catalogue_.Rows()) {
    listed = listed || (SameInterface(row, candidate) && row.usage_page == candidate.usage_page &&
                        row.usage == candidate.usage);
  }
  if (!listed || candidate.path.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    InterfaceSlot& slot = slots_[i];
    if (SameInterface(slot, candidate) && slot.usage_page == candidate.usage_page && slot.usage == candidate.usage &&
        slot.IsFree()) {
      slot.in_use = 1;
      slot.path = candidate.path;
      return i;
    }
  }
  return std::nullopt;
}

bool SlotTable::Release(std::size_t index) {
  std::lock_guard lock(mutex_);
  if (index >= slots_.size() || slots_[index].in_use == 0) return false;
  slots_[index].in_use = 0;
  slots_[index].path.clear();
  return true;
}

std::vector<std::pair<std::size_t, std::string>> SlotTable::ClaimedPaths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<std::size_t, std::string>> claimed;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].in_use != 0) claimed.emplace_back(i, slots_[i].path);
  }
  return claimed;
}

int SlotTable::FindSlot(uint16_t vendor_id, uint16_t product_id, DeviceKind kind, uint16_t role) const {
  std::lock_guard lock(mutex_);
  return FindSlotLocked(vendor_id, product_id, kind, role);
}

int SlotTable::FindSlotLocked(uint16_t vendor_id, uint16_t product_id, DeviceKind kind, uint16_t role) const {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const InterfaceSlot& slot = slots_[i];
    if (slot.vendor_id == vendor_id && slot.product_id == product_id && slot.kind == kind && slot.role == role) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool SlotTable::PartnerActive(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= slots_.size() || slots_[index].has_partner == 0) return false;
  const std::size_t partner = slots_[index].partner;
  if (partner >= slots_.size()) return false;
  const InterfaceSlot& other = slots_[partner];
  return other.in_use != 0 && !other.path.empty() && other.partner == index;
}

std::optional<InterfaceSlot> SlotTable::IdentityRecord(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= slots_.size()) return std::nullopt;
  const InterfaceSlot* chosen = &slots_[index];
  if (chosen->role == kRoleSecondary) {
    const int command = FindSlotLocked(chosen->vendor_id, chosen->product_id, chosen->kind, kRoleCommand);
    if (command < 0) return std::nullopt;
    chosen = &slots_[static_cast<std::size_t>(command)];
  }
  if (IsReceiverKind(chosen->kind) && chosen->has_partner != 0 && chosen->partner < slots_.size()) {
    chosen = &slots_[chosen->partner];
  }
  return *chosen;
}

}  // namespace zt640
