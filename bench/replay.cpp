// Turns a call log into replay steps and issues them: see replay.h.
#include "replay.h"

#include <algorithm>

namespace talmo_bench {

using tessplug::Op;

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
    bool onParser = call.op == Op::BufferPointer || call.op == Op::BufferSize ||
                    call.op == Op::BufferByte || call.op == Op::AppendToBuffer ||
                    call.op == Op::RootElement || call.op == Op::CreateElement;
    step.target = onParser ? -1 : slotOf(call.target);
    step.other = slotOf(call.other);
    step.result = slotOf(call.result);
    step.number = call.number;
    step.text = call.text;
    step.bytes = call.bytes;
    step.time = call.time;
    step.date = call.date;
    if (call.op == Op::MbsToUcs || call.op == Op::ElementName ||
        call.op == Op::ElementCharacterValue || call.op == Op::ElementDecimalValue) {
      units_.resize(std::max(units_.size(), static_cast<size_t>(call.number) + 1));
    }
    if (call.op == Op::UcsToMbs) {
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
    switch (s.op) {
      case Op::BufferPointer:
        cpiBufferPointer(&rc, p);
        break;
      case Op::BufferSize:
        cpiBufferSize(&rc, p);
        break;
      case Op::BufferByte:
        cpiBufferByte(&rc, p, static_cast<int>(s.number));
        break;
      case Op::AppendToBuffer:
        cpiAppendToBuffer(&rc, p, s.bytes.data(), static_cast<int>(s.number));
        break;
      case Op::RootElement:
        got = cpiRootElement(&rc, p);
        break;
      case Op::CreateElement:
        got = cpiCreateElement(&rc, p);
        break;
      case Op::FirstChild:
        got = cpiFirstChild(&rc, e);
        break;
      case Op::NextSibling:
        got = cpiNextSibling(&rc, e);
        break;
      case Op::Parent:
        got = cpiParent(&rc, e);
        break;
      case Op::ElementType:
        cpiElementType(&rc, e);
        break;
      case Op::ElementValueType:
        cniElementValueType(&rc, e);
        break;
      case Op::SetElementType:
        cpiSetElementType(&rc, e, static_cast<int>(s.number));
        break;
      case Op::SetElementName:
        cpiSetElementName(&rc, e, s.text.c_str());
        break;
      case Op::AddAsLastChild:
        cpiAddAsLastChild(&rc, e, s.other >= 0 ? slot[s.other] : nullptr);
        break;
      case Op::ElementName:
        cpiElementName(&rc, e, units_.data(), static_cast<int>(s.number));
        break;
      case Op::SetElementCompletePrevious:
        cpiSetElementCompletePrevious(&rc, e, static_cast<int>(s.number));
        break;
      case Op::SetElementCompleteNext:
        cpiSetElementCompleteNext(&rc, e, static_cast<int>(s.number));
        break;
      case Op::ElementCompleteNext:
        cpiElementCompleteNext(&rc, e);
        break;
      case Op::SetElementIntegerValue:
        cpiSetElementIntegerValue(&rc, e, s.number);
        break;
      case Op::SetElementCharacterValue:
        cpiSetElementCharacterValue(&rc, e, s.text.c_str(), static_cast<int>(s.number));
        break;
      case Op::SetElementTimeValue:
        cpiSetElementTimeValue(&rc, e, &s.time);
        break;
      case Op::SetElementDateValue:
        cpiSetElementDateValue(&rc, e, &s.date);
        break;
      case Op::ElementBooleanValue:
        cpiElementBooleanValue(&rc, e);
        break;
      case Op::ElementIntegerValue:
        cpiElementIntegerValue(&rc, e);
        break;
      case Op::ElementRealValue:
        cpiElementRealValue(&rc, e);
        break;
      case Op::ElementTimeValue:
        cpiElementTimeValue(&rc, e);
        break;
      case Op::ElementDateValue:
        cpiElementDateValue(&rc, e);
        break;
      case Op::ElementDecimalValue:
        cpiElementDecimalValue(&rc, e, units_.data(), static_cast<int>(s.number));
        break;
      case Op::ElementCharacterValue:
        cpiElementCharacterValue(&rc, e, units_.data(), static_cast<int>(s.number));
        break;
      case Op::MbsToUcs:
        cciMbsToUcs(&rc, s.bytes.c_str(), units_.data(), static_cast<int>(s.number), codePageUtf8);
        break;
      case Op::UcsToMbs:
        cciUcsToMbs(&rc, s.text.c_str(), bytes_.data(), static_cast<int>(s.number), codePageUtf8);
        break;
      case Op::CreateParserFactory:
      case Op::DefineParserClass:
        break;
    }
    if (s.result >= 0) slot[s.result] = got;
  }
}

}  // namespace talmo_bench
