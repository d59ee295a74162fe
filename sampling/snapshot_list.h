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
// Keys are short texts (at most kMaxKeyLength characters: the snapshots' keys are decimal
// numbers), held in place in a 32-byte link beside the records: a lookup compares keys in that
// compact array and touches a record only when it has found it. Appending only stores the
// entry; the key index takes in the new entries at the next lookup, in one pass.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

// Thrown by an append whose key is longer than a snapshot list holds. (Not a
// std::length_error: that would link the standard library's string exceptions into the exe.)
struct SnapshotKeyTooLong : std::exception {
  const char* what() const noexcept override { return "snapshot key too long"; }
};

template <typename Record>
class TSnapshotList {
 public:
  static constexpr std::size_t kMaxKeyLength = 15;

 private:
  // A key's characters, zero-filled, with its length in the last byte: two keys are equal
  // when their 16 bytes are.
  struct Key {
    char text[kMaxKeyLength + 1];
    bool operator==(const Key& other) const {
      return std::memcmp(text, other.text, sizeof text) == 0;
    }
  };
  static Key KeyText(std::string_view key) {
    Key k{};
    std::memcpy(k.text, key.data(), key.size());
    k.text[kMaxKeyLength] = static_cast<char>(key.size());
    return k;
  }

 public:
  TSnapshotList() = default;
  TSnapshotList(const TSnapshotList&) = delete;
  TSnapshotList& operator=(const TSnapshotList&) = delete;

  // Appends an entry and returns its record to fill in. The record may hold the values of an
  // earlier snapshot: the caller sets every field. A key longer than kMaxKeyLength throws
  // SnapshotKeyTooLong and adds nothing.
  Record& Append(std::string_view key) {
    if (key.size() > kMaxKeyLength) throw SnapshotKeyTooLong();
    if (used_ == links_.size()) {
      // Records first: an allocation that fails leaves records_ at least as long as links_.
      records_.emplace_back();
      links_.emplace_back();
    }
    Link& link = links_[used_];
    link.key = KeyText(key);
    link.live = true;
    ++count_;
    return records_[used_++];
  }

  // Entries still in the list.
  std::size_t Count() const { return count_; }

  // Removes the first entry whose key equals `key` and returns its record; null when none.
  Record* TakeFirst(std::string_view key) {
    Link* head = Head(key);
    if (!head || head->first == kNone) return nullptr;
    const std::uint32_t taken = head->first;
    Link& link = links_[taken];
    head->first = link.nextSameKey;
    link.live = false;
    --count_;
    return &records_[taken];
  }

  // Visits (key, record) of every entry still in the list, in list order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t i = 0; i < used_; ++i) {
      const Link& link = links_[i];
      if (link.live)
        visit(std::string_view(link.key.text, link.key.text[kMaxKeyLength]), records_[i]);
    }
  }

  // Empties the list; the storage stays for the next snapshot.
  void Clear() {
    used_ = indexed_ = count_ = 0;
    slotsStale_ = true;
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  struct Link {
    Key key;
    std::uint32_t nextSameKey = kNone;  // the next entry with this key, kNone at the end
    // On a key's first entry (head): the key's first entry still in the list (kNone once all
    // are taken: taken ones leave from the front only) and its last entry.
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
    bool head = false;
    bool live = false;  // false once taken
  };
  static_assert(sizeof(Link) == 32, "two links to a cache line");

  // The key's two words, mixed by multiplication: every character reaches the low bits.
  static std::uint64_t Hash(const Key& key) {
    std::uint64_t low, high;
    std::memcpy(&low, key.text, 8);
    std::memcpy(&high, key.text + 8, 8);
    std::uint64_t hash = low * 0x9e3779b97f4a7c15u + high;
    hash = (hash ^ hash >> 32) * 0xd6e8feb86659fd93u;
    return hash ^ hash >> 32;
  }
  // Where the probing for a key of this hash starts.
  std::size_t HomeSlot(std::uint64_t hash) const {
    return static_cast<std::size_t>(hash) & (slots_.size() - 1);
  }
  // The slot that holds the first entry of `key`, or the empty slot where it would go.
  std::size_t SlotOf(const Key& key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = HomeSlot(hash);
    while (slots_[i] != kNone && !(links_[slots_[i]].key == key)) i = (i + 1) & mask;
    return i;
  }
  Link* Head(std::string_view text) {
    Index();
    if (slots_.empty() || text.size() > kMaxKeyLength) return nullptr;
    const Key key = KeyText(text);
    const std::uint32_t index = slots_[SlotOf(key, Hash(key))];
    return index == kNone ? nullptr : &links_[index];
  }
  // Entries are indexed by key at the first lookup after they were appended, in one pass:
  // the appends of a snapshot stay sequential, and the pass's probes at random overlap.
  // The slots of a cleared list are emptied here too, just before they are filled again.
  void Index() {
    if (indexed_ == used_ && !slotsStale_) return;
    if (slotsStale_ || used_ * 2 > slots_.size()) {
      std::size_t size = slots_.empty() ? 64 : slots_.size();
      while (used_ * 2 > size) size *= 2;
      slots_.assign(size, kNone);
      slotsStale_ = false;
      for (std::size_t i = 0; i < indexed_; ++i) {
        if (links_[i].head) {
          slots_[SlotOf(links_[i].key, Hash(links_[i].key))] = static_cast<std::uint32_t>(i);
        }
      }
    }
    for (; indexed_ < used_; ++indexed_) {
      const auto position = static_cast<std::uint32_t>(indexed_);
      Link& link = links_[indexed_];
      link.nextSameKey = kNone;
      std::uint32_t& slot = slots_[SlotOf(link.key, Hash(link.key))];
      link.head = slot == kNone;
      if (link.head) {
        slot = position;
        link.first = link.last = position;
      } else {
        // A later entry with a key already present: appended to that key's chain.
        Link& head = links_[slot];
        if (head.first == kNone) {
          head.first = position;
        } else {
          links_[head.last].nextSameKey = position;
        }
        head.last = position;
      }
    }
  }

  // The first used_ entries belong to the list; the rest wait for reuse.
  std::vector<Link> links_;
  std::vector<Record> records_;
  std::size_t used_ = 0;
  std::size_t indexed_ = 0;  // entries [0, indexed_) are in slots_
  std::size_t count_ = 0;
  bool slotsStale_ = false;           // cleared since the slots were last emptied
  std::vector<std::uint32_t> slots_;  // open addressing by key: a head's index, or kNone
};
