// Names and shapes of the host operations (from TESSPLUG_OPERATIONS), the
// fault plans and the call log of host.h.
#include "instrumentation.h"

#include <utility>

namespace tessplug {

// ---- Names of operations ----

const char* opName(Op op) {
#define TESSPLUG_OP_NAME(op, name, shape) #name,
  static const char* const names[kOpCount] = {TESSPLUG_OPERATIONS(TESSPLUG_OP_NAME)};
#undef TESSPLUG_OP_NAME
  int i = static_cast<int>(op);
  return i >= 0 && i < kOpCount ? names[i] : "?";
}

Shape opShape(Op op) {
#define TESSPLUG_OP_SHAPE(op, name, shape) Shape::shape,
  static const Shape shapes[kOpCount] = {TESSPLUG_OPERATIONS(TESSPLUG_OP_SHAPE)};
#undef TESSPLUG_OP_SHAPE
  return shapes[static_cast<int>(op)];
}

// ---- Faults and the call log ----

void setFaults(std::vector<Fault> faults) {
  ThreadState& state = threadState();
  state.faults = std::move(faults);
  state.counts.fill(0);
}

void clearFaults() {
  setFaults({});
}

int callCount(Op op) {
  return threadState().counts[static_cast<int>(op)];
}

void startCallLog() {
  ThreadState& state = threadState();
  state.log.clear();
  state.logging = true;
}

std::vector<Call> stopCallLog() {
  ThreadState& state = threadState();
  state.logging = false;
  return std::exchange(state.log, {});
}

std::string describe(const Call& call) {
  std::string s = opName(call.op);
  switch (opShape(call.op)) {
    case Shape::ParserOffset:
    case Shape::ParserBytes:
    case Shape::ElementNumber:
    case Shape::ElementInteger:
      s.append(" ").append(std::to_string(call.number));
      break;
    case Shape::Registration:
    case Shape::ElementText:
    case Shape::ElementTextCount:
      s.append(" \"").append(toUtf8(call.text)).append("\"");
      break;
    default:
      break;
  }
  return s;
}

}  // namespace tessplug
