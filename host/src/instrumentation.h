// The stand-in host's instrumentation, shared by its operations: each
// call is counted and logged on the calling thread (Entry), and the fault
// the thread's plan holds for it is applied (run, failed). The public side
// (setFaults, startCallLog, ...) is declared in tessplug/host.h.
#ifndef TESSPLUG_INSTRUMENTATION_H
#define TESSPLUG_INSTRUMENTATION_H

#include <array>
#include <type_traits>
#include <vector>

#include "tessplug/host.h"

namespace tessplug {

// ---- Per-thread fault plan, call counts and call log ----

struct ThreadState {
  std::vector<Fault> faults;
  std::array<int, kOpCount> counts{};
  bool logging = false;
  std::vector<Call> log;
};

inline ThreadState& threadState() {
  thread_local ThreadState state;
  return state;
}

inline void setRc(int* rc, int code) {
  if (rc) *rc = code;
}

// One host call: counts and logs it, and applies the fault planned for it.
class Entry {
 public:
  Entry(Op op, int* rc, const void* target, long long number = 0, const CciChar* text = nullptr,
        long long textLength = -1)
      : rc_(rc) {
    ThreadState& state = threadState();
    int n = ++state.counts[static_cast<int>(op)];
    if (state.logging) {
      Call call;
      call.op = op;
      call.target = target;
      call.number = number;
      if (text) {
        call.text = textLength < 0 ? Text(text) : Text(text, static_cast<size_t>(textLength));
      }
      state.log.push_back(std::move(call));
    }
    for (const Fault& f : state.faults) {
      if (f.op == op && (n == f.nth || (f.onward && n > f.nth))) {
        fault_ = &f;
        break;
      }
    }
  }
  ~Entry() {
    if (fault_ && fault_->mode != FaultMode::Fail) setRc(rc_, fault_->code);
  }
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

  // The record of this call in the log, or null when nothing is logged.
  Call* logged() {
    ThreadState& state = threadState();
    return state.logging && !state.log.empty() ? &state.log.back() : nullptr;
  }
  // Notes the handle a call hands back, and hands it back.
  template <class H>
  H* result(H* h) {
    if (Call* c = logged()) c->result = h;
    return h;
  }

  bool unterminated() const { return fault_ && fault_->mode == FaultMode::Unterminated; }
  const Fault* answers() const {
    return fault_ && fault_->mode == FaultMode::Answer ? fault_ : nullptr;
  }

  bool fails() {
    if (!fault_ || fault_->mode != FaultMode::Fail) return false;
    setRc(rc_, fault_->code);
    return true;
  }

 private:
  int* rc_;
  const Fault* fault_ = nullptr;
};

// Runs an operation's body: zero result when a fault says fail, code 0
// before the body, failure and a zero result if it throws.
template <class R, class F>
R run(Entry& entry, int* rc, F&& body) {
  if (entry.fails()) {
    if constexpr (std::is_void_v<R>) {
      return;
    } else {
      return R{};
    }
  }
  setRc(rc, rcSuccess);
  try {
    if constexpr (std::is_void_v<R>) {
      body();
    } else if constexpr (std::is_arithmetic_v<R>) {
      R result = body();
      const Fault* answer = entry.answers();
      return answer ? static_cast<R>(answer->answer) : result;
    } else {
      return body();
    }
  } catch (...) {
    setRc(rc, rcFailure);
    if constexpr (!std::is_void_v<R>) return R{};
  }
}

// Fails the call: a zero result of the operation's type.
template <class R = int>
R failed(int* rc, int code = rcFailure) {
  setRc(rc, code);
  return R{};
}

}  // namespace tessplug

#endif
