// Turns a call log into replay steps and issues them: see replay.h.
#include "replay.h"

#include <algorithm>

namespace talmo_bench {

using tessplug::Op;
using tessplug::Shape;

int Program::slotOf(const void* handle) {
  if (!handle) return -1;
  auto it = std::find(handles_.begin(), handles_.end(), handle);
  if (it != handles_.end()) return static_cast<int>(it - handles_.begin());
  handles_.push_back(handle);
  return static_cast<int>(handles_.size() - 1);
}

void Program::add(const std::vector<tessplug::Call>& log) {
  for (const tessplug::Call& call : log) {
    Step step;
    step.op = call.op;
    Shape shape = tessplug::opShape(call.op);
    bool onParser = shape == Shape::Parser || shape == Shape::ParserOffset ||
                    shape == Shape::ParserBytes || shape == Shape::ParserGivesElement;
    step.target = onParser ? -1 : slotOf(call.target);
    step.other = slotOf(call.other);
    step.result = slotOf(call.result);
    step.number = call.number;
    step.text = call.text;
    step.bytes = call.bytes;
    step.time = call.time;
    step.date = call.date;
    if (shape == Shape::BytesToUnits || shape == Shape::ElementUnits) {
      units_.resize(std::max(units_.size(), static_cast<size_t>(call.number) + 1));
    }
    if (shape == Shape::UnitsToBytes) {
      bytes_.resize(std::max(bytes_.size(), static_cast<size_t>(call.number) + 1));
    }
    steps_.push_back(std::move(step));
  }
  slots_.resize(handles_.size(), nullptr);
}

void Program::replay(tessplug::Parser& parser, size_t from, size_t to) {
  CciParser* p = parser.handle();
  CciElement** slot = slots_.data();
  int rc = 0;
  for (size_t i = from; i < to; ++i) {
    const Step& s = steps_[i];
    CciElement* e = s.target >= 0 ? slot[s.target] : nullptr;
    CciElement* got = nullptr;
    // Each operation issued with the arguments its shape takes; only the
    // shapes that hand back an element keep the result.
#define REPLAY_Registration(fn) (void)0
#define REPLAY_Parser(fn) fn(&rc, p)
#define REPLAY_ParserOffset(fn) fn(&rc, p, static_cast<int>(s.number))
#define REPLAY_ParserBytes(fn) fn(&rc, p, s.bytes.data(), static_cast<int>(s.number))
#define REPLAY_ParserGivesElement(fn) got = fn(&rc, p)
#define REPLAY_ElementGivesElement(fn) got = fn(&rc, e)
#define REPLAY_Element(fn) fn(&rc, e)
#define REPLAY_ElementNumber(fn) fn(&rc, e, static_cast<int>(s.number))
#define REPLAY_ElementInteger(fn) fn(&rc, e, s.number)
#define REPLAY_ElementText(fn) fn(&rc, e, s.text.c_str())
#define REPLAY_ElementTextCount(fn) fn(&rc, e, s.text.c_str(), static_cast<int>(s.number))
#define REPLAY_ElementChild(fn) fn(&rc, e, s.other >= 0 ? slot[s.other] : nullptr)
#define REPLAY_ElementUnits(fn) fn(&rc, e, units_.data(), static_cast<int>(s.number))
#define REPLAY_ElementTime(fn) fn(&rc, e, &s.time)
#define REPLAY_ElementDate(fn) fn(&rc, e, &s.date)
#define REPLAY_BytesToUnits(fn) \
  fn(&rc, s.bytes.c_str(), units_.data(), static_cast<int>(s.number), codePageUtf8)
#define REPLAY_UnitsToBytes(fn) \
  fn(&rc, s.text.c_str(), bytes_.data(), static_cast<int>(s.number), codePageUtf8)
#define REPLAY_CASE(op, name, shape) \
  case Op::op:                       \
    REPLAY_##shape(name);            \
    break;
    switch (s.op) { TESSPLUG_OPERATIONS(REPLAY_CASE) }
#undef REPLAY_CASE
    if (s.result >= 0) slot[s.result] = got;
  }
}

}  // namespace talmo_bench
