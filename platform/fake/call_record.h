#pragma once
// A record of calls that only some tests read. Nothing is kept until a test starts it, so a
// benchmark or a long run that never reads it does not grow it without end.

#include <utility>
#include <vector>

namespace fake {

template <typename Call>
class CallRecord {
 public:
  bool On() const { return on_; }
  void Add(Call call) {
    if (on_) calls_.push_back(std::move(call));
  }
  void Start() {  // empties the record and starts it
    calls_.clear();
    on_ = true;
  }
  const std::vector<Call>& Calls() const { return calls_; }

 private:
  std::vector<Call> calls_;
  bool on_ = false;
};

}  // namespace fake
