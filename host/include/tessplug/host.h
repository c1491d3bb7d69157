// The stand-in host's own API, beside the 33 plug-in operations: what a broker
// does with a parser plug-in (load it, find its class, run its callbacks over a
// bit stream) and what tests need to watch and break it (trees to build and
// compare, faults to inject, a log of host calls).
//
// Ownership: a Parser owns its input copy (or borrows the caller's bytes), its
// elements, its output and the plug-in context it created; the registry of
// factories and classes lives for the process. Fault plans and the call log
// belong to the calling thread.
#ifndef TESSPLUG_HOST_H
#define TESSPLUG_HOST_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/tessplug.h"

namespace tessplug {

using Text = std::basic_string<CciChar>;
using TextView = std::basic_string_view<CciChar>;

// UTF-8 <-> 16-bit text, for tests and tools (ICU underneath). Invalid input
// becomes U+FFFD.
Text toText(std::string_view utf8);
std::string toUtf8(TextView text);

// ---- The host operations ----
// Each of the 33 once: its name here, its C name, and the shape of its
// arguments after the return code (what the call log keeps of it, how
// describe() shows it, how a recorded call is issued again). The enum, the
// count, the names and the shapes below are made from this list.
#define TESSPLUG_OPERATIONS(X)                                                \
  X(CreateParserFactory, cpiCreateParserFactory, Registration)                \
  X(DefineParserClass, cpiDefineParserClass, Registration)                    \
  X(BufferPointer, cpiBufferPointer, Parser)                                  \
  X(BufferSize, cpiBufferSize, Parser)                                        \
  X(BufferByte, cpiBufferByte, ParserOffset)                                  \
  X(AppendToBuffer, cpiAppendToBuffer, ParserBytes)                           \
  X(RootElement, cpiRootElement, ParserGivesElement)                          \
  X(CreateElement, cpiCreateElement, ParserGivesElement)                      \
  X(FirstChild, cpiFirstChild, ElementGivesElement)                           \
  X(NextSibling, cpiNextSibling, ElementGivesElement)                         \
  X(Parent, cpiParent, ElementGivesElement)                                   \
  X(ElementType, cpiElementType, Element)                                     \
  X(ElementValueType, cniElementValueType, Element)                           \
  X(SetElementType, cpiSetElementType, ElementNumber)                         \
  X(SetElementName, cpiSetElementName, ElementText)                           \
  X(AddAsLastChild, cpiAddAsLastChild, ElementChild)                          \
  X(ElementName, cpiElementName, ElementUnits)                                \
  X(SetElementCompletePrevious, cpiSetElementCompletePrevious, ElementNumber) \
  X(SetElementCompleteNext, cpiSetElementCompleteNext, ElementNumber)         \
  X(ElementCompleteNext, cpiElementCompleteNext, Element)                     \
  X(SetElementIntegerValue, cpiSetElementIntegerValue, ElementInteger)        \
  X(SetElementCharacterValue, cpiSetElementCharacterValue, ElementTextCount)  \
  X(SetElementTimeValue, cpiSetElementTimeValue, ElementTime)                 \
  X(SetElementDateValue, cpiSetElementDateValue, ElementDate)                 \
  X(ElementBooleanValue, cpiElementBooleanValue, Element)                     \
  X(ElementIntegerValue, cpiElementIntegerValue, Element)                     \
  X(ElementRealValue, cpiElementRealValue, Element)                           \
  X(ElementTimeValue, cpiElementTimeValue, Element)                           \
  X(ElementDateValue, cpiElementDateValue, Element)                           \
  X(ElementDecimalValue, cpiElementDecimalValue, ElementUnits)                \
  X(ElementCharacterValue, cpiElementCharacterValue, ElementUnits)            \
  X(MbsToUcs, cciMbsToUcs, BytesToUnits)                                      \
  X(UcsToMbs, cciUcsToMbs, UnitsToBytes)

#define TESSPLUG_OP_ENUM(op, name, shape) op,
enum class Op { TESSPLUG_OPERATIONS(TESSPLUG_OP_ENUM) };
#undef TESSPLUG_OP_ENUM
#define TESSPLUG_OP_COUNT(op, name, shape) +1
inline constexpr int kOpCount = 0 TESSPLUG_OPERATIONS(TESSPLUG_OP_COUNT);
#undef TESSPLUG_OP_COUNT
const char* opName(Op op);  // the C name, e.g. "cpiBufferByte"

// The arguments an operation takes after the return code.
enum class Shape {
  Registration,         // a factory or class name (text)
  Parser,               // the parser
  ParserOffset,         // the parser, an offset (number)
  ParserBytes,          // the parser, bytes and their count (number)
  ParserGivesElement,   // the parser; hands back an element
  ElementGivesElement,  // an element; hands back an element
  Element,              // an element
  ElementNumber,        // an element, an int (number)
  ElementInteger,       // an element, a 64-bit integer (number)
  ElementText,          // an element, a text
  ElementTextCount,     // an element, a text and its length (number)
  ElementChild,         // an element, a child element (other)
  ElementUnits,         // an element, a buffer of count (number) units
  ElementTime,          // an element, a time record
  ElementDate,          // an element, a date record
  BytesToUnits,         // bytes, a buffer of count (number) units, code page
  UnitsToBytes,         // a text, a buffer of count (number) bytes, code page
};
Shape opShape(Op op);

// ---- Faults ----
// How an injected fault shows: Fail does nothing and gives a zero or null
// result; CodeOnly does the work and only reports the code; Unterminated
// (operations that hand out text: the converters, names, character and
// decimal values) writes only the first half of the text, at least one unit
// and at most the count, with no terminator, and reports the code; Answer
// does the work and hands back answer as its result (numbers and truths).
enum class FaultMode { Fail, CodeOnly, Unterminated, Answer };
struct Fault {
  Op op;
  int nth = 1;           // the call of op, counted from when the plan was set, 1-based
  bool onward = false;   // also every later call
  int code = rcFailure;  // the return code to report
  FaultMode mode = FaultMode::Fail;
  long long answer = 0;  // the result handed back in Answer mode
};
// Replaces this thread's plan and restarts its call counts.
void setFaults(std::vector<Fault> faults);
void clearFaults();
// Calls of op on this thread since the plan was last set.
int callCount(Op op);

// ---- Call log ----
// Enough of each call to issue it again (see bench/): handles, numbers and
// the text or records handed in, and the handle handed back.
struct Call {
  Op op;
  const void* target = nullptr;  // the parser or element the call was about
  long long number = 0;          // offset, type, count, integer value, ...
  Text text;                     // names and character values handed in
  const void* other = nullptr;   // the child of cpiAddAsLastChild
  const void* result = nullptr;  // the handle an operation returned
  std::string bytes;             // bytes handed to cciMbsToUcs or cpiAppendToBuffer
  CciTime time{0, 0, 0.0f};      // the record handed to cpiSetElementTimeValue
  CciDate date{0, 0, 0};         // the record handed to cpiSetElementDateValue
};
void startCallLog();              // this thread; clears any earlier log
std::vector<Call> stopCallLog();  // returns and ends it
std::string describe(const Call& call);

// ---- Registry ----
struct ParserClass {
  Text name;
  const ParserCallbackTable* table = nullptr;
  Text factoryName;
};
// The class of that name in any factory, or null.
const ParserClass* findParserClass(TextView name);
std::vector<Text> factoryNames();
// Forgets every factory and class (tests).
void resetRegistry();

// ---- Loading a plug-in as the broker does ----
struct Plugin {
  void* library = nullptr;  // the loaded library; it stays loaded for the process
  CciFactory* (*entryPoint)() = nullptr;
};
// Loads the library at path and finds its entry point. On failure returns
// nothing and says why in error.
std::optional<Plugin> loadPlugin(const std::string& path, std::string& error);
// Calls the entry point; returns the factory it gave.
CciFactory* callEntryPoint(const Plugin& plugin);
// Any other symbol the library exports, or null.
void* findPluginSymbol(const Plugin& plugin, const char* name);

// What a broker does before its first message: loads the library at path,
// calls its entry point, which must give a factory, and finds the parser
// class of that name. On failure returns nothing and says why in error.
struct LoadedClass {
  Plugin plugin;
  CciFactory* factory = nullptr;
  const ParserClass* parserClass = nullptr;
};
std::optional<LoadedClass> loadParserClass(const std::string& path, std::string_view className,
                                           std::string& error);

// ---- Elements and trees ----
class Parser;
struct Element;
CciElement* handle(Element* element);  // the element as the operations take it

// A value of any type the host holds; type 0 is none.
struct Value {
  int type = 0;
  int boolean = 0;  // the word the host hands back
  long long integer = 0;
  double real = 0;
  Text text;  // character and decimal values
  CciTime time{0, 0, 0.0f};
  CciDate date{0, 0, 0};
  std::vector<unsigned char> binary;

  static Value ofBoolean(bool v);
  static Value ofBooleanWord(int word);  // any word, for hosts that answer more than 0 or 1
  static Value ofInteger(long long v);
  static Value ofReal(double v);
  static Value ofDecimal(std::string_view text);
  static Value ofCharacter(std::string_view utf8);
  static Value ofText(Text text);
  static Value ofTime(int hour, int minute, float seconds, int type = valueTypeTime);
  static Value ofDate(int year, int month, int day);
  static Value ofTimestamp(int type = valueTypeTimestamp);
  static Value ofBinary(std::vector<unsigned char> bytes, int type = valueTypeBinary);
  static Value ofCode(int type);  // a bare type code, e.g. 11, 0 or -1
  bool operator==(const Value& other) const;
};
std::string describe(const Value& value);  // e.g. "integer 123", "date 2002-03-15"

// A snapshot of a subtree, for comparing and printing.
struct Tree {
  int type = elementTypeName;
  Text name;
  Value value;
  bool completePrevious = false;
  bool completeNext = false;
  std::vector<Tree> children;
  bool operator==(const Tree& other) const;
};
Tree snapshot(const Element* element);
std::string describe(const Tree& tree, int indent = 0);

// ---- Reading a tree ----
// An element is opaque: a handle for the host operations (handle()) and a
// key for these. They stay valid for the life of the parser that made them.
std::vector<Element*> children(const Element* parent);  // in order
const Text& nameOf(const Element* element);
const Value& valueOf(const Element* element);
bool isComplete(const Element* element);  // complete-next: all children present

// ---- A parser instance over a bit stream ----
class Parser {
 public:
  // Copies the bytes.
  Parser(const ParserClass& parserClass, std::string_view bytes);
  // Borrows the bytes, which must outlive the parser; data may be null with a
  // non-zero size, as a broken host stream would be.
  Parser(const ParserClass& parserClass, const void* data, int size);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  CciParser* handle();
  Element* root() { return root_; }
  const ParserCallbackTable& table() const { return *class_.table; }
  CciContext* context() const { return context_; }

  // The callbacks, through the class's table.
  bool createContext();  // slot 1; false when the plug-in gave null
  void deleteContext();  // slot 2
  int parseBuffer(int startOffset);
  void parseFirstChild(Element* element);
  void parseLastChild(Element* element);
  void parseLeftSibling(Element* element);
  void parseRightSibling(Element* element);
  int writeBuffer();
  Text nextParserClassName(int size = 256);  // the size units the plug-in wrote
  void setNextParserClassName(TextView name, int flag);
  int parserType();

  // Building trees by hand.
  Element* newElement(int type = elementTypeNameValue);
  Element* addChild(Element* parent, std::string_view name, Value value);
  void setValue(Element* element, Value value);
  // Takes an element out of its parent's children; it stays owned here.
  void detach(Element* element);
  void clearRoot();  // a fresh, empty root
  // Drops every element and the output, and starts over with a fresh root;
  // for running many parses on one parser.
  void reset();

  const std::vector<unsigned char>& output() const { return output_; }
  void clearOutput() { output_.clear(); }
  std::string outputText() const { return {output_.begin(), output_.end()}; }

 private:
  friend struct ParserAccess;  // the host operations' way in (tree.h)
  struct Elements;

  const ParserClass& class_;
  std::vector<unsigned char> owned_;
  const unsigned char* data_ = nullptr;
  int size_ = 0;
  std::unique_ptr<Elements> elements_;
  Element* root_ = nullptr;
  std::vector<unsigned char> output_;
  CciContext* context_ = nullptr;
};

// One round through a class's callbacks, as tests and fuzzers drive it: a
// fresh parser over the bytes (borrowed, not copied) and its context, the
// header parsed from start, the tree written back.
struct Round {
  bool context = false;  // the plug-in gave a context; nothing else is set otherwise
  int offset = 0;        // what the parse returned
  int length = 0;        // what the write returned
  std::string written;   // the bytes it appended
  Tree tree;             // the root after the parse
};
Round parseThenWrite(const ParserClass& parserClass, std::string_view bytes, int start = 0);

}  // namespace tessplug

#endif
