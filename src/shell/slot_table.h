#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/interface_catalogue.h"

namespace zt640 {

/// What the discovery pass knows about one HID interface it found.
struct InterfaceCandidate {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t interface_number = 0;
  uint16_t collection_number = 0;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  std::string path;
};

/// The main window's copy of the interface catalogue, indexed like it, with the
/// claim state of every row. The discovery thread claims and frees slots; the
/// UI thread reads them while it handles the add and remove messages. Every
/// access takes the table's lock, so a reader never sees a half-written path.
class SlotTable {
 public:
  explicit SlotTable(const InterfaceCatalogue& catalogue);

  [[nodiscard]] std::size_t size() const { return slots_.size(); }
  /// A copy of slot `index`; none for an index beyond the table.
  [[nodiscard]] std::optional<InterfaceSlot> Slot(std::size_t index) const;

  /// Some catalogue row has the candidate's ids, collection and interface
  /// number, and a slot with those four values is free.
  [[nodiscard]] bool IsKnownAndFree(const InterfaceCandidate& candidate) const;
  /// No slot that a device could claim is free (rows without a vendor id never match).
  [[nodiscard]] bool AllSlotsTaken() const;
  /// Marks the first free slot whose ids, collection, interface number, usage
  /// page and usage equal the candidate's as in use with its path; its index,
  /// or none when no such slot is free.
  [[nodiscard]] std::optional<std::size_t> Claim(const InterfaceCandidate& candidate);
  /// Frees slot `index` (in use 0, path empty); false when it was not in use or
  /// the index is beyond the table.
  bool Release(std::size_t index);
  /// Indices of the slots in use and their paths, in index order.
  [[nodiscard]] std::vector<std::pair<std::size_t, std::string>> ClaimedPaths() const;

  /// First row matching all four exactly, or -1.
  [[nodiscard]] int FindSlot(uint16_t vendor_id, uint16_t product_id, DeviceKind kind, uint16_t role) const;

  /// Slot `index` has a partner whose slot is in use with a path and names
  /// `index` as its own partner.
  [[nodiscard]] bool PartnerActive(std::size_t index) const;

  /// The record that identifies the device behind slot `index` (the one its
  /// device object stores): for a secondary interface the command interface of
  /// the same ids and kind; for a receiver interface with a partner the
  /// partner's (cable) record. None for an index beyond the table.
  [[nodiscard]] std::optional<InterfaceSlot> IdentityRecord(std::size_t index) const;

 private:
  [[nodiscard]] int FindSlotLocked(uint16_t vendor_id, uint16_t product_id, DeviceKind kind, uint16_t role) const;

  const InterfaceCatalogue catalogue_;
  mutable std::mutex mutex_;
  std::vector<InterfaceSlot> slots_;  ///< guarded by mutex_ (claim state and path)
};

}  // namespace zt640
