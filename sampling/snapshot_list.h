#pragma once
// An ordered list of (key text, record) pairs, filled by appending. Lookups find the first
// entry with a key and take it out at once; what is left comes out in list order.
// Entries are never moved: a lookup and a removal cost O(1) on average, so a refresh that
// matches every row against a snapshot stays linear in the number of processes. Entries of
// one key are chained in list order.
// The list keeps its entries' storage when it is cleared: a snapshot taken into a list that
// held the previous one fills the same records again, and allocates only where it outgrows
// them. A record taken from the list stays the list's and stays valid until the list is
// appended to or cleared.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

template <typename Record>
class TSnapshotList {
 public:
  TSnapshotList() = default;
  TSnapshotList(const TSnapshotList&) = delete;
  TSnapshotList& operator=(const TSnapshotList&) = delete;

  // Appends an entry and returns its record to fill in. The record may hold the values of an
  // earlier snapshot: the caller sets every field.
  Record& Append(std::string_view key) {
    if ((used_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 64 : slots_.size() * 2);
    const auto position = static_cast<std::uint32_t>(used_);
    if (used_ == entries_.size()) entries_.emplace_back();
    Entry& entry = entries_[used_++];
    entry.key.assign(key);
    entry.nextSameKey = kNone;
    entry.live = true;
    ++count_;
    std::uint32_t& slot = slots_[SlotOf(key)];
    entry.head = slot == kNone;
    if (entry.head) {
      slot = position;
      entry.first = entry.last = position;
    } else {
      // A later entry with a key already present: appended to that key's chain.
      Entry& head = entries_[slot];
      if (head.first == kNone) {
        head.first = position;
      } else {
        entries_[head.last].nextSameKey = position;
      }
      head.last = position;
    }
    return entry.record;
  }

  // Entries still in the list.
  std::size_t Count() const { return count_; }

  // The record of the first entry whose key equals `key`, or null.
  const Record* Find(std::string_view key) const {
    const Entry* head = Head(key);
    return head && head->first != kNone ? &entries_[head->first].record : nullptr;
  }

  // Removes the first entry whose key equals `key` and returns its record; null when none.
  Record* TakeFirst(std::string_view key) {
    Entry* head = const_cast<Entry*>(Head(key));
    if (!head || head->first == kNone) return nullptr;
    Entry& entry = entries_[head->first];
    head->first = entry.nextSameKey;
    entry.live = false;
    --count_;
    return &entry.record;
  }

  // Visits (key, record) of every entry still in the list, in list order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t i = 0; i < used_; ++i) {
      if (entries_[i].live) visit(entries_[i].key, entries_[i].record);
    }
  }

  // Empties the list; the storage stays for the next snapshot.
  void Clear() {
    slots_.assign(slots_.size(), kNone);
    used_ = 0;
    count_ = 0;
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  struct Entry {
    std::string key;
    Record record;
    std::uint32_t nextSameKey = kNone;  // the next entry with this key, kNone at the end
    // On a key's first entry (head): the key's first entry still in the list (kNone once all
    // are taken: taken ones leave from the front only) and its last entry.
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
    bool head = false;
    bool live = false;  // false once taken
  };

  // The slot that holds the first entry of `key`, or the empty slot where it would go.
  std::size_t SlotOf(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    // FNV-1a: keys are a few digits, where a general-purpose hash costs more than the rest.
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    std::size_t i = static_cast<std::size_t>(hash ^ hash >> 32) & mask;
    while (slots_[i] != kNone && entries_[slots_[i]].key != key) i = (i + 1) & mask;
    return i;
  }
  const Entry* Head(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    const std::uint32_t index = slots_[SlotOf(key)];
    return index == kNone ? nullptr : &entries_[index];
  }
  void Rehash(std::size_t size) {
    slots_.assign(size, kNone);
    for (std::size_t i = 0; i < used_; ++i) {
      if (entries_[i].head) slots_[SlotOf(entries_[i].key)] = static_cast<std::uint32_t>(i);
    }
  }

  std::vector<Entry> entries_;  // the first used_ belong to the list; the rest wait for reuse
  std::size_t used_ = 0;
  std::size_t count_ = 0;
  std::vector<std::uint32_t> slots_;  // open addressing by key: a head's index, or kNone
};
