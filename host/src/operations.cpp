// The 33 plug-in operations of the stand-in host over its registry, bit
// streams and element trees.
//
// Every operation sets its return code on every call, 0 on success included,
// checks the handles and counts it is given (a null handle, a negative count
// or an offset outside the stream is a failure, never a crash), and lets no
// exception out. A thread's fault plan can make any call fail; its call log
// records what the plug-in asked.
#include <algorithm>
#include <mutex>

#include "host_platform.h"
#include "instrumentation.h"
#include "registry.h"
#include "tree.h"

namespace {

using namespace tessplug;

Parser* parserOf(CciParser* parser) {
  return reinterpret_cast<Parser*>(parser);
}

// What an Unterminated fault writes: the first half of the text, at least
// one unit and at most count, and no terminator.
template <class Unit>
int writeHalf(std::basic_string_view<Unit> text, Unit* target, int count) {
  size_t n = std::min(
      {std::max<size_t>(text.size() / 2, 1), text.size(), static_cast<size_t>(std::max(count, 0))});
  std::copy_n(text.begin(), n, target);
  return static_cast<int>(n);
}

// Copies text into a caller's buffer of capacity units with its terminator,
// or reports 22 and leaves the buffer as it was when it does not fit.
int copyOut(const Entry& call, int* rc, const Text& text, CciChar* buffer, int capacity) {
  if (!buffer || capacity < 0) return failed(rc);
  if (call.unterminated()) return writeHalf(TextView(text), buffer, capacity);
  if (text.size() + 1 > static_cast<size_t>(capacity)) return failed(rc, rcBufferTooSmall);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<int>(text.size());
}

Element* element(CciElement* e) {
  return fromHandle(e);
}

// Getters of a value: the element must hold that type.
const Value* heldValue(int* rc, CciElement* e, int type, int type2 = -1) {
  Element* el = element(e);
  if (!el || (el->value.type != type && el->value.type != type2)) {
    setRc(rc, rcFailure);
    return nullptr;
  }
  return &el->value;
}

// The setters of a time or a date: the record is logged in field of the
// call and made into the element's value.
template <class Record, class Make>
void setFromRecord(Op op, int* rc, CciElement* e, const Record* value, Record Call::*field,
                   Make make) {
  Entry call(op, rc, e);
  if (Call* c = call.logged(); c && value) c->*field = *value;
  run<void>(call, rc, [&] {
    if (!e || !value) return void(failed(rc));
    element(e)->value = make(*value);
  });
}

bool isAncestor(const Element* candidate, const Element* of) {
  for (const Element* e = of; e; e = e->parent) {
    if (e == candidate) return true;
  }
  return false;
}

}  // namespace

extern "C" {

CciFactory* cpiCreateParserFactory(int* rc, const CciChar* factoryName) {
  Entry call(Op::CreateParserFactory, rc, nullptr, 0, factoryName);
  return run<CciFactory*>(call, rc, [&]() -> CciFactory* {
    if (!factoryName) return failed<CciFactory*>(rc);
    std::lock_guard<std::mutex> lock(registryMutex);
    for (const auto& f : factories()) {
      if (f->name == factoryName) return reinterpret_cast<CciFactory*>(f.get());
    }
    auto record = std::make_unique<FactoryRecord>();
    record->name = factoryName;
    factories().push_back(std::move(record));
    return reinterpret_cast<CciFactory*>(factories().back().get());
  });
}

void cpiDefineParserClass(int* rc, CciFactory* factory, const CciChar* className,
                          ParserCallbackTable* table) {
  Entry call(Op::DefineParserClass, rc, factory, 0, className);
  run<void>(call, rc, [&] {
    if (!factory || !className || !table) return void(failed(rc));
    std::lock_guard<std::mutex> lock(registryMutex);
    FactoryRecord* record = nullptr;
    for (const auto& f : factories()) {
      if (reinterpret_cast<CciFactory*>(f.get()) == factory) record = f.get();
    }
    if (!record) return void(failed(rc));
    for (const auto& c : record->classes) {
      if (c->name == className) {
        c->table = table;
        return;
      }
    }
    auto parserClass = std::make_unique<ParserClass>();
    parserClass->name = className;
    parserClass->table = table;
    parserClass->factoryName = record->name;
    record->classes.push_back(std::move(parserClass));
  });
}

const void* cpiBufferPointer(int* rc, CciParser* parser) {
  Entry call(Op::BufferPointer, rc, parser);
  return run<const void*>(call, rc, [&]() -> const void* {
    if (!parser) return failed<const void*>(rc);
    return ParserAccess::data(*parserOf(parser));
  });
}

int cpiBufferSize(int* rc, CciParser* parser) {
  Entry call(Op::BufferSize, rc, parser);
  return run<int>(call, rc, [&] {
    if (!parser) return failed(rc);
    return ParserAccess::size(*parserOf(parser));
  });
}

int cpiBufferByte(int* rc, CciParser* parser, int offset) {
  Entry call(Op::BufferByte, rc, parser, offset);
  return run<int>(call, rc, [&] {
    if (!parser) return failed(rc);
    Parser* p = parserOf(parser);
    if (!ParserAccess::data(*p) || offset < 0 || offset >= ParserAccess::size(*p))
      return failed(rc);
    return static_cast<int>(ParserAccess::data(*p)[offset]);
  });
}

void cpiAppendToBuffer(int* rc, CciParser* parser, const void* bytes, int count) {
  Entry call(Op::AppendToBuffer, rc, parser, count);
  if (Call* c = call.logged(); c && bytes && count > 0) {
    c->bytes.assign(static_cast<const char*>(bytes), static_cast<size_t>(count));
  }
  run<void>(call, rc, [&] {
    if (!parser || count < 0 || (count > 0 && !bytes)) return void(failed(rc));
    ParserAccess::append(*parserOf(parser), bytes, count);
  });
}

CciElement* cpiRootElement(int* rc, CciParser* parser) {
  Entry call(Op::RootElement, rc, parser);
  return run<CciElement*>(call, rc, [&]() -> CciElement* {
    if (!parser) return failed<CciElement*>(rc);
    return call.result(handle(parserOf(parser)->root()));
  });
}

CciElement* cpiCreateElement(int* rc, CciParser* parser) {
  Entry call(Op::CreateElement, rc, parser);
  return run<CciElement*>(call, rc, [&]() -> CciElement* {
    if (!parser) return failed<CciElement*>(rc);
    return call.result(handle(parserOf(parser)->newElement(0)));
  });
}

CciElement* cpiFirstChild(int* rc, CciElement* e) {
  Entry call(Op::FirstChild, rc, e);
  return run<CciElement*>(call, rc, [&]() -> CciElement* {
    if (!e) return failed<CciElement*>(rc);
    return call.result(handle(element(e)->firstChild));
  });
}

CciElement* cpiNextSibling(int* rc, CciElement* e) {
  Entry call(Op::NextSibling, rc, e);
  return run<CciElement*>(call, rc, [&]() -> CciElement* {
    if (!e) return failed<CciElement*>(rc);
    return call.result(handle(element(e)->next));
  });
}

CciElement* cpiParent(int* rc, CciElement* e) {
  Entry call(Op::Parent, rc, e);
  return run<CciElement*>(call, rc, [&]() -> CciElement* {
    if (!e) return failed<CciElement*>(rc);
    return call.result(handle(element(e)->parent));
  });
}

int cpiElementType(int* rc, CciElement* e) {
  Entry call(Op::ElementType, rc, e);
  return run<int>(call, rc, [&] {
    if (!e) return failed(rc);
    return element(e)->type;
  });
}

int cniElementValueType(int* rc, CciElement* e) {
  Entry call(Op::ElementValueType, rc, e);
  return run<int>(call, rc, [&] {
    if (!e) return failed(rc);
    return element(e)->value.type;
  });
}

void cpiSetElementType(int* rc, CciElement* e, int type) {
  Entry call(Op::SetElementType, rc, e, type);
  run<void>(call, rc, [&] {
    if (!e) return void(failed(rc));
    element(e)->type = type;
  });
}

void cpiSetElementName(int* rc, CciElement* e, const CciChar* name) {
  Entry call(Op::SetElementName, rc, e, 0, name);
  run<void>(call, rc, [&] {
    if (!e || !name) return void(failed(rc));
    element(e)->name = name;
  });
}

void cpiAddAsLastChild(int* rc, CciElement* parent, CciElement* child) {
  Entry call(Op::AddAsLastChild, rc, parent, 0);
  if (Call* c = call.logged()) c->other = child;
  run<void>(call, rc, [&] {
    Element* p = element(parent);
    Element* c = element(child);
    if (!p || !c || c->parent || c->owner != p->owner || isAncestor(c, p)) return void(failed(rc));
    appendChild(p, c);
  });
}

int cpiElementName(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Entry call(Op::ElementName, rc, e, capacity);
  return run<int>(call, rc, [&] {
    if (!e) return failed(rc);
    return copyOut(call, rc, element(e)->name, buffer, capacity);
  });
}

void cpiSetElementCompletePrevious(int* rc, CciElement* e, int complete) {
  Entry call(Op::SetElementCompletePrevious, rc, e, complete);
  run<void>(call, rc, [&] {
    if (!e) return void(failed(rc));
    element(e)->completePrevious = complete != 0;
  });
}

void cpiSetElementCompleteNext(int* rc, CciElement* e, int complete) {
  Entry call(Op::SetElementCompleteNext, rc, e, complete);
  run<void>(call, rc, [&] {
    if (!e) return void(failed(rc));
    element(e)->completeNext = complete != 0;
  });
}

int cpiElementCompleteNext(int* rc, CciElement* e) {
  Entry call(Op::ElementCompleteNext, rc, e);
  return run<int>(call, rc, [&] {
    if (!e) return failed(rc);
    return element(e)->completeNext ? 1 : 0;
  });
}

void cpiSetElementIntegerValue(int* rc, CciElement* e, long long value) {
  Entry call(Op::SetElementIntegerValue, rc, e, value);
  run<void>(call, rc, [&] {
    if (!e) return void(failed(rc));
    element(e)->value = Value::ofInteger(value);
  });
}

void cpiSetElementCharacterValue(int* rc, CciElement* e, const CciChar* text, int length) {
  Entry call(Op::SetElementCharacterValue, rc, e, length, text && length >= 0 ? text : nullptr,
             length);
  run<void>(call, rc, [&] {
    if (!e || length < 0 || (length > 0 && !text)) return void(failed(rc));
    element(e)->value =
        Value::ofText(length > 0 ? Text(text, static_cast<size_t>(length)) : Text());
  });
}

void cpiSetElementTimeValue(int* rc, CciElement* e, const CciTime* value) {
  setFromRecord(Op::SetElementTimeValue, rc, e, value, &Call::time,
                [](const CciTime& t) { return Value::ofTime(t.hour, t.minute, t.seconds); });
}

void cpiSetElementDateValue(int* rc, CciElement* e, const CciDate* value) {
  setFromRecord(Op::SetElementDateValue, rc, e, value, &Call::date,
                [](const CciDate& d) { return Value::ofDate(d.year, d.month, d.day); });
}

int cpiElementBooleanValue(int* rc, CciElement* e) {
  Entry call(Op::ElementBooleanValue, rc, e);
  return run<int>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeBoolean);
    return v ? v->boolean : 0;
  });
}

long long cpiElementIntegerValue(int* rc, CciElement* e) {
  Entry call(Op::ElementIntegerValue, rc, e);
  return run<long long>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeInteger);
    return v ? v->integer : 0;
  });
}

double cpiElementRealValue(int* rc, CciElement* e) {
  Entry call(Op::ElementRealValue, rc, e);
  return run<double>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeFloat);
    return v ? v->real : 0.0;
  });
}

CciTime cpiElementTimeValue(int* rc, CciElement* e) {
  Entry call(Op::ElementTimeValue, rc, e);
  return run<CciTime>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeTime, valueTypeTime2);
    return v ? v->time : CciTime{0, 0, 0.0f};
  });
}

CciDate cpiElementDateValue(int* rc, CciElement* e) {
  Entry call(Op::ElementDateValue, rc, e);
  return run<CciDate>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeDate);
    return v ? v->date : CciDate{0, 0, 0};
  });
}

int cpiElementDecimalValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Entry call(Op::ElementDecimalValue, rc, e, capacity);
  return run<int>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeDecimal);
    return v ? copyOut(call, rc, v->text, buffer, capacity) : 0;
  });
}

int cpiElementCharacterValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Entry call(Op::ElementCharacterValue, rc, e, capacity);
  return run<int>(call, rc, [&] {
    const Value* v = heldValue(rc, e, valueTypeCharacter);
    return v ? copyOut(call, rc, v->text, buffer, capacity) : 0;
  });
}

int cciMbsToUcs(int* rc, const char* source, CciChar* target, int count, int codePage) {
  Entry call(Op::MbsToUcs, rc, nullptr, count);
  if (Call* c = call.logged(); c && source) c->bytes = source;
  return run<int>(call, rc, [&] {
    if (!source || count < 0 || (count > 0 && !target)) return failed(rc);
    if (codePage != codePageUtf8) return failed(rc);
    if (call.unterminated())
      return writeHalf(TextView(platform::utf8ToText(source)), target, count);
    bool valid = true;
    int written = platform::utf8ToUnits(source, target, count, valid);
    if (!valid) setRc(rc, rcFailure);
    return written;
  });
}

int cciUcsToMbs(int* rc, const CciChar* source, char* target, int count, int codePage) {
  Entry call(Op::UcsToMbs, rc, nullptr, count, source);
  return run<int>(call, rc, [&] {
    if (!source || count < 0 || (count > 0 && !target)) return failed(rc);
    if (codePage != codePageUtf8) return failed(rc);
    if (call.unterminated()) {
      return writeHalf(std::string_view(platform::textToUtf8(source)), target, count);
    }
    bool valid = true;
    int written = platform::unitsToUtf8(source, target, count, valid);
    if (!valid) setRc(rc, rcFailure);
    return written;
  });
}

}  // extern "C"
