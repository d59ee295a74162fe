#pragma once
// An ordered list of (key text, record) pairs, filled by appending. Lookups find the first
// entry with a key and take it out at once; what is left comes out in list order.
// Entries are never moved: a lookup and a removal cost O(1) on average, so a refresh that
// matches every row against a snapshot stays linear in the number of processes. Entries of
// one key are chained in list order, without an allocation of their own.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

template <typename Record>
class TSnapshotList {
 public:
  TSnapshotList() = default;
  TSnapshotList(const TSnapshotList&) = delete;
  TSnapshotList& operator=(const TSnapshotList&) = delete;

  void Add(std::string key, std::unique_ptr<Record> record) {
    const std::size_t position = entries_.size();
    auto [it, inserted] = chains_.try_emplace(key, Chain{position, position});
    if (!inserted) {
      // A later entry with a key already present: appended to that key's chain.
      if (it->second.first == kNone) {
        it->second.first = position;
      } else {
        entries_[it->second.last].nextSameKey = position;
      }
      it->second.last = position;
    }
    entries_.push_back(Entry{std::move(key), std::move(record), kNone});
    ++count_;
  }

  // Entries still in the list.
  std::size_t Count() const { return count_; }

  // The record of the first entry whose key equals `key`, or null.
  Record* Find(std::string_view key) const {
    auto it = chains_.find(key);
    if (it == chains_.end() || it->second.first == kNone) return nullptr;
    return entries_[it->second.first].record.get();
  }

  // Removes the first entry whose key equals `key` and hands its record on; null when none.
  std::unique_ptr<Record> TakeFirst(std::string_view key) {
    auto it = chains_.find(key);
    if (it == chains_.end() || it->second.first == kNone) return nullptr;
    Entry& entry = entries_[it->second.first];
    it->second.first = entry.nextSameKey;
    --count_;
    return std::move(entry.record);
  }

  // Removes every entry still in the list and hands the records on, in list order.
  std::vector<std::pair<std::string, std::unique_ptr<Record>>> TakeRemaining() {
    std::vector<std::pair<std::string, std::unique_ptr<Record>>> out;
    out.reserve(count_);
    for (Entry& entry : entries_) {
      if (entry.record) out.emplace_back(std::move(entry.key), std::move(entry.record));
    }
    entries_.clear();
    chains_.clear();
    count_ = 0;
    return out;
  }

  // Visits (key, record) of every entry still in the list, in list order.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (const Entry& entry : entries_) {
      if (entry.record) visit(entry.key, *entry.record);
    }
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct Entry {
    std::string key;
    std::unique_ptr<Record> record;  // null once taken
    std::size_t nextSameKey;         // the next entry with this key, kNone at the end
  };
  // The entries of one key still in the list: taken ones leave from the front only.
  struct Chain {
    std::size_t first;  // kNone once all are taken
    std::size_t last;
  };
  // Lets a string_view find a key without building a string.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>{}(key);
    }
  };
  std::vector<Entry> entries_;
  std::unordered_map<std::string, Chain, KeyHash, std::equal_to<>> chains_;
  std::size_t count_ = 0;
};
