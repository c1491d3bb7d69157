// The stand-in host library: the 33 plug-in operations over an in-memory
// registry, bit streams and element trees, and the host API of host.h.
//
// Every operation sets its return code on every call, 0 on success included,
// checks the handles and counts it is given (a null handle, a negative count
// or an offset outside the stream is a failure, never a crash), and lets no
// exception out. A thread's fault plan can make any call fail; its call log
// records what the plug-in asked.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <type_traits>
#include <utility>

#include "host_platform.h"
#include "tessplug/host.h"

namespace tessplug {

namespace {

// ---- Per-thread fault plan, call counts and call log ----

struct ThreadState {
  std::vector<Fault> faults;
  std::array<int, kOpCount> counts{};
  bool logging = false;
  std::vector<Call> log;
};

ThreadState& threadState() {
  thread_local ThreadState state;
  return state;
}

void setRc(int* rc, int code) {
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

// ---- Registry ----

struct FactoryRecord {
  Text name;
  std::vector<std::unique_ptr<ParserClass>> classes;
};

std::mutex registryMutex;
std::vector<std::unique_ptr<FactoryRecord>>& factories() {
  static std::vector<std::unique_ptr<FactoryRecord>> all;
  return all;
}

}  // namespace

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

// ---- Registry ----

const ParserClass* findParserClass(TextView name) {
  std::lock_guard<std::mutex> lock(registryMutex);
  for (const auto& factory : factories()) {
    for (const auto& parserClass : factory->classes) {
      if (parserClass->name == name) return parserClass.get();
    }
  }
  return nullptr;
}

std::vector<Text> factoryNames() {
  std::lock_guard<std::mutex> lock(registryMutex);
  std::vector<Text> names;
  for (const auto& factory : factories()) names.push_back(factory->name);
  return names;
}

void resetRegistry() {
  std::lock_guard<std::mutex> lock(registryMutex);
  factories().clear();
}

// ---- Loading ----

std::optional<Plugin> loadPlugin(const std::string& path, std::string& error) {
  Plugin plugin;
  plugin.library = platform::openLibrary(path, error);
  if (!plugin.library) return std::nullopt;
  plugin.entryPoint = reinterpret_cast<CciFactory* (*)()>(
      platform::findSymbol(plugin.library, "lokGetParserFactory"));
  if (!plugin.entryPoint) {
    error = "no entry point lokGetParserFactory in " + path;
    return std::nullopt;
  }
  return plugin;
}

CciFactory* callEntryPoint(const Plugin& plugin) {
  return plugin.entryPoint();
}

void* findPluginSymbol(const Plugin& plugin, const char* name) {
  return platform::findSymbol(plugin.library, name);
}

// ---- Text ----

Text toText(std::string_view utf8) {
  return platform::utf8ToText(utf8);
}
std::string toUtf8(TextView text) {
  return platform::textToUtf8(text);
}

// ---- Values ----

Value Value::ofBoolean(bool v) {
  return ofBooleanWord(v ? 1 : 0);
}
Value Value::ofBooleanWord(int word) {
  Value value;
  value.type = valueTypeBoolean;
  value.boolean = word;
  return value;
}
Value Value::ofInteger(long long v) {
  Value value;
  value.type = valueTypeInteger;
  value.integer = v;
  return value;
}
Value Value::ofReal(double v) {
  Value value;
  value.type = valueTypeFloat;
  value.real = v;
  return value;
}
Value Value::ofDecimal(std::string_view text) {
  Value value;
  value.type = valueTypeDecimal;
  value.text = toText(text);
  return value;
}
Value Value::ofCharacter(std::string_view utf8) {
  return ofText(toText(utf8));
}
Value Value::ofText(Text text) {
  Value value;
  value.type = valueTypeCharacter;
  value.text = std::move(text);
  return value;
}
Value Value::ofTime(int hour, int minute, float seconds, int type) {
  Value value;
  value.type = type;
  value.time = CciTime{hour, minute, seconds};
  return value;
}
Value Value::ofDate(int year, int month, int day) {
  Value value;
  value.type = valueTypeDate;
  value.date = CciDate{year, month, day};
  return value;
}
Value Value::ofTimestamp(int type) {
  return ofCode(type);
}
Value Value::ofBinary(std::vector<unsigned char> bytes, int type) {
  Value value;
  value.type = type;
  value.binary = std::move(bytes);
  return value;
}
Value Value::ofCode(int type) {
  Value value;
  value.type = type;
  return value;
}

bool Value::operator==(const Value& o) const {
  if (type != o.type) return false;
  switch (type) {
    case valueTypeBoolean:
      return boolean == o.boolean;
    case valueTypeInteger:
      return integer == o.integer;
    case valueTypeFloat:
      return real == o.real || (std::isnan(real) && std::isnan(o.real));
    case valueTypeDecimal:
    case valueTypeCharacter:
      return text == o.text;
    case valueTypeTime:
    case valueTypeTime2:
      return time.hour == o.time.hour && time.minute == o.time.minute &&
             time.seconds == o.time.seconds;
    case valueTypeDate:
      return date.year == o.date.year && date.month == o.date.month && date.day == o.date.day;
    case valueTypeBinary:
    case valueTypeBinary2:
      return binary == o.binary;
    default:
      return true;
  }
}

std::string describe(const Value& v) {
  char buffer[96];
  switch (v.type) {
    case 0:
      return "none";
    case valueTypeBoolean:
      return "boolean " + std::to_string(v.boolean);
    case valueTypeInteger:
      return "integer " + std::to_string(v.integer);
    case valueTypeFloat:
      std::snprintf(buffer, sizeof buffer, "real %.17g", v.real);
      return buffer;
    case valueTypeDecimal:
      return "decimal " + toUtf8(v.text);
    case valueTypeCharacter:
      return "character \"" + toUtf8(v.text) + "\"";
    case valueTypeTime:
    case valueTypeTime2:
      std::snprintf(buffer, sizeof buffer, "time%s %02d:%02d:%g",
                    v.type == valueTypeTime2 ? "2" : "", v.time.hour, v.time.minute,
                    static_cast<double>(v.time.seconds));
      return buffer;
    case valueTypeDate:
      std::snprintf(buffer, sizeof buffer, "date %04d-%02d-%02d", v.date.year, v.date.month,
                    v.date.day);
      return buffer;
    case valueTypeBinary:
    case valueTypeBinary2:
      return "binary " + std::to_string(v.binary.size()) + " bytes";
    default:
      return "type " + std::to_string(v.type);
  }
}

// ---- Trees ----

CciElement* handle(Element* element) {
  return reinterpret_cast<CciElement*>(element);
}
Element* fromHandle(CciElement* element) {
  return reinterpret_cast<Element*>(element);
}

bool Tree::operator==(const Tree& o) const {
  return type == o.type && name == o.name && value == o.value &&
         completePrevious == o.completePrevious && completeNext == o.completeNext &&
         children == o.children;
}

Tree snapshot(const Element* element) {
  Tree tree;
  tree.type = element->type;
  tree.name = element->name;
  tree.value = element->value;
  tree.completePrevious = element->completePrevious;
  tree.completeNext = element->completeNext;
  for (const Element* c = element->firstChild; c; c = c->next) tree.children.push_back(snapshot(c));
  return tree;
}

std::string describe(const Tree& tree, int indent) {
  std::string s(static_cast<size_t>(indent) * 2, ' ');
  s.append("\"").append(toUtf8(tree.name)).append("\"");
  if (tree.type != elementTypeName) {
    char type[16];
    std::snprintf(type, sizeof type, " 0x%08x", static_cast<unsigned>(tree.type));
    s += tree.type == elementTypeNameValue ? std::string(" namevalue") : std::string(type);
  }
  if (tree.value.type != 0) s += " = " + describe(tree.value);
  if (tree.completePrevious) s += " [prev]";
  if (tree.completeNext) s += " [next]";
  s += "\n";
  for (const Tree& child : tree.children) s += describe(child, indent + 1);
  return s;
}

// ---- Parser ----

Parser::Parser(const ParserClass& parserClass, std::string_view bytes)
    : class_(parserClass), owned_(bytes.begin(), bytes.end()) {
  data_ = owned_.data();
  size_ = static_cast<int>(owned_.size());
  clearRoot();
}

Parser::Parser(const ParserClass& parserClass, const void* data, int size)
    : class_(parserClass), data_(static_cast<const unsigned char*>(data)), size_(size) {
  clearRoot();
}

Parser::~Parser() {
  deleteContext();
}

CciParser* Parser::handle() {
  return reinterpret_cast<CciParser*>(this);
}

bool Parser::createContext() {
  deleteContext();
  if (table().createContext) context_ = table().createContext(handle());
  return context_ != nullptr;
}

void Parser::deleteContext() {
  if (context_ && table().deleteContext) table().deleteContext(handle(), context_);
  context_ = nullptr;
}

int Parser::parseBuffer(int startOffset) {
  return table().parseBuffer(handle(), context_, startOffset);
}
void Parser::parseFirstChild(Element* e) {
  table().parseFirstChild(handle(), context_, tessplug::handle(e));
}
void Parser::parseLastChild(Element* e) {
  table().parseLastChild(handle(), context_, tessplug::handle(e));
}
void Parser::parseLeftSibling(Element* e) {
  table().parseLeftSibling(handle(), context_, tessplug::handle(e));
}
void Parser::parseRightSibling(Element* e) {
  table().parseRightSibling(handle(), context_, tessplug::handle(e));
}
int Parser::writeBuffer() {
  return table().writeBuffer(handle(), context_);
}

Text Parser::nextParserClassName(int size) {
  Text buffer(static_cast<size_t>(std::max(size, 0)), CciChar(0xBEEF));
  table().nextParserClassName(handle(), context_, buffer.data(), size);
  return buffer;
}

void Parser::setNextParserClassName(TextView name, int flag) {
  Text copy(name);
  table().setNextParserClassName(handle(), context_, copy.c_str(), flag);
}

int Parser::parserType() {
  return static_cast<int>(table().parserType(handle(), context_));
}

Element* Parser::newElement(int type) {
  Element& e = elements_.emplace_back();
  e.owner = this;
  e.type = type;
  return &e;
}

void Parser::setValue(Element* element, Value value) {
  element->value = std::move(value);
}

Element* Parser::addChild(Element* parent, std::string_view name, Value value) {
  Element* e = newElement(elementTypeNameValue);
  e->name = toText(name);
  e->value = std::move(value);
  e->parent = parent;
  e->previous = parent->lastChild;
  if (parent->lastChild) {
    parent->lastChild->next = e;
  } else {
    parent->firstChild = e;
  }
  parent->lastChild = e;
  return e;
}

void Parser::detach(Element* element) {
  Element* parent = element->parent;
  if (!parent) return;
  (element->previous ? element->previous->next : parent->firstChild) = element->next;
  (element->next ? element->next->previous : parent->lastChild) = element->previous;
  element->parent = element->previous = element->next = nullptr;
}

void Parser::reset() {
  elements_.clear();
  output_.clear();
  clearRoot();
}

void Parser::clearRoot() {
  root_ = newElement(elementTypeName);
  root_->name = class_.name;
}

void Parser::append(const void* bytes, int count) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  output_.insert(output_.end(), p, p + count);
}

}  // namespace tessplug

// ---- The 33 operations ----

using namespace tessplug;

namespace {

Element* element(CciElement* e) {
  return fromHandle(e);
}

// Getters of a value: the element must hold that type.
const Value* valueOf(int* rc, CciElement* e, int type, int type2 = -1) {
  Element* el = element(e);
  if (!el || (el->value.type != type && el->value.type != type2)) {
    setRc(rc, rcFailure);
    return nullptr;
  }
  return &el->value;
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
    return parserOf(parser)->data();
  });
}

int cpiBufferSize(int* rc, CciParser* parser) {
  Entry call(Op::BufferSize, rc, parser);
  return run<int>(call, rc, [&] {
    if (!parser) return failed(rc);
    return parserOf(parser)->size();
  });
}

int cpiBufferByte(int* rc, CciParser* parser, int offset) {
  Entry call(Op::BufferByte, rc, parser, offset);
  return run<int>(call, rc, [&] {
    if (!parser) return failed(rc);
    Parser* p = parserOf(parser);
    if (!p->data() || offset < 0 || offset >= p->size()) return failed(rc);
    return static_cast<int>(p->data()[offset]);
  });
}

void cpiAppendToBuffer(int* rc, CciParser* parser, const void* bytes, int count) {
  Entry call(Op::AppendToBuffer, rc, parser, count);
  if (Call* c = call.logged(); c && bytes && count > 0) {
    c->bytes.assign(static_cast<const char*>(bytes), static_cast<size_t>(count));
  }
  run<void>(call, rc, [&] {
    if (!parser || count < 0 || (count > 0 && !bytes)) return void(failed(rc));
    parserOf(parser)->append(bytes, count);
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
    c->parent = p;
    c->previous = p->lastChild;
    if (p->lastChild) {
      p->lastChild->next = c;
    } else {
      p->firstChild = c;
    }
    p->lastChild = c;
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
  Entry call(Op::SetElementTimeValue, rc, e);
  if (Call* c = call.logged(); c && value) c->time = *value;
  run<void>(call, rc, [&] {
    if (!e || !value) return void(failed(rc));
    element(e)->value = Value::ofTime(value->hour, value->minute, value->seconds);
  });
}

void cpiSetElementDateValue(int* rc, CciElement* e, const CciDate* value) {
  Entry call(Op::SetElementDateValue, rc, e);
  if (Call* c = call.logged(); c && value) c->date = *value;
  run<void>(call, rc, [&] {
    if (!e || !value) return void(failed(rc));
    element(e)->value = Value::ofDate(value->year, value->month, value->day);
  });
}

int cpiElementBooleanValue(int* rc, CciElement* e) {
  Entry call(Op::ElementBooleanValue, rc, e);
  return run<int>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeBoolean);
    return v ? v->boolean : 0;
  });
}

long long cpiElementIntegerValue(int* rc, CciElement* e) {
  Entry call(Op::ElementIntegerValue, rc, e);
  return run<long long>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeInteger);
    return v ? v->integer : 0;
  });
}

double cpiElementRealValue(int* rc, CciElement* e) {
  Entry call(Op::ElementRealValue, rc, e);
  return run<double>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeFloat);
    return v ? v->real : 0.0;
  });
}

CciTime cpiElementTimeValue(int* rc, CciElement* e) {
  Entry call(Op::ElementTimeValue, rc, e);
  return run<CciTime>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeTime, valueTypeTime2);
    return v ? v->time : CciTime{0, 0, 0.0f};
  });
}

CciDate cpiElementDateValue(int* rc, CciElement* e) {
  Entry call(Op::ElementDateValue, rc, e);
  return run<CciDate>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeDate);
    return v ? v->date : CciDate{0, 0, 0};
  });
}

int cpiElementDecimalValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Entry call(Op::ElementDecimalValue, rc, e, capacity);
  return run<int>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeDecimal);
    return v ? copyOut(call, rc, v->text, buffer, capacity) : 0;
  });
}

int cpiElementCharacterValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Entry call(Op::ElementCharacterValue, rc, e, capacity);
  return run<int>(call, rc, [&] {
    const Value* v = valueOf(rc, e, valueTypeCharacter);
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
