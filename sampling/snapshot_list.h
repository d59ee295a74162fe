#pragma once
// An ordered list of (key text, record) pairs, filled by appending. Lookups find the first
// entry with a key and take it out at once; what is left comes out in list order.
// Entries are never moved: a lookup and a removal cost O(1) on average, so a refresh that
// matches every row against a snapshot stays linear in the number of processes.

#include <cstddef>
#include <deque>
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
    positions_[key].push_back(entries_.size());
    entries_.push_back(Entry{std::move(key), std::move(record)});
    ++count_;
  }

  // Entries still in the list.
  std::size_t Count() const { return count_; }

  // The record of the first entry whose key equals `key`, or null.
  Record* Find(std::string_view key) const {
    auto it = positions_.find(std::string(key));
    if (it == positions_.end() || it->second.empty()) return nullptr;
    return entries_[it->second.front()].record.get();
  }

  // Removes the first entry whose key equals `key` and hands its record on; null when none.
  std::unique_ptr<Record> TakeFirst(std::string_view key) {
    auto it = positions_.find(std::string(key));
    if (it == positions_.end() || it->second.empty()) return nullptr;
    Entry& entry = entries_[it->second.front()];
    it->second.pop_front();
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
    positions_.clear();
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
  struct Entry {
    std::string key;
    std::unique_ptr<Record> record;  // null once taken
  };
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::deque<std::size_t>> positions_;
  std::size_t count_ = 0;
};
