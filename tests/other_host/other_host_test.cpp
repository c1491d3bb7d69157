// The real plug-in loaded against another host built from the same
// interface description (other_host.c), as brokers we did not write will
// load it: registration, a parse and a write of the Overview's header, and
// texts longer than the first fetch against a host that writes cut,
// unterminated text before it reports 22, and a converter that stops
// unterminated.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "other_host.h"

namespace {

std::string ascii(const CciChar* s) {
  std::string out;
  for (; *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

const ParserCallbackTable& registered() {
  static const ParserCallbackTable* table = [] {
    void* library = dlopen(TALMO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) return static_cast<const ParserCallbackTable*>(nullptr);
    auto entry = reinterpret_cast<CciFactory* (*)()>(dlsym(library, "lokGetParserFactory"));
    if (!entry || !entry()) return static_cast<const ParserCallbackTable*>(nullptr);
    const CciChar* name = nullptr;
    int requests = 0;
    return otherHostTable(&name, &requests);
  }();
  if (!table) std::abort();
  return *table;
}

struct Item {
  std::string name;
  int valueType;
  std::string text;
  long long integer;
};

std::vector<Item> items() {
  std::vector<Item> all;
  int rc = 0;
  for (CciElement* e = cpiFirstChild(&rc, otherHostRoot()); e; e = cpiNextSibling(&rc, e)) {
    CciChar buffer[1024];
    cpiElementName(&rc, e, buffer, 1024);
    Item item{ascii(buffer), cniElementValueType(&rc, e), "", 0};
    if (item.valueType == valueTypeCharacter) {
      cpiElementCharacterValue(&rc, e, buffer, 1024);
      item.text = ascii(buffer);
    } else if (item.valueType == valueTypeInteger) {
      item.integer = cpiElementIntegerValue(&rc, e);
    } else if (item.valueType == valueTypeDate) {
      CciDate d = cpiElementDateValue(&rc, e);
      item.text =
          std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
    } else if (item.valueType == valueTypeTime) {
      CciTime t = cpiElementTimeValue(&rc, e);
      item.text = std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
                  std::to_string(static_cast<int>(t.seconds));
    }
    all.push_back(item);
  }
  return all;
}

// Parses the header with a fresh context and writes it back; returns the
// parse offset and sets the written text.
int parseAndWrite(const std::string& header, std::string& written, std::string& next) {
  otherHostReset(header.data(), static_cast<int>(header.size()));
  const ParserCallbackTable& t = registered();
  CciContext* context = t.createContext(otherHostParser());
  EXPECT_NE(context, nullptr);
  int offset = t.parseBuffer(otherHostParser(), context, 0);
  CciChar name[64];
  t.nextParserClassName(otherHostParser(), context, name, 64);
  next = ascii(name);
  int length = t.writeBuffer(otherHostParser(), context);
  int size = 0;
  const unsigned char* out = otherHostOutput(&size);
  written.assign(reinterpret_cast<const char*>(out), static_cast<size_t>(size));
  EXPECT_EQ(length, size);
  t.deleteContext(otherHostParser(), context);
  return offset;
}

TEST(OtherHost, RegistersTheClassWithItsTable) {
  const ParserCallbackTable& t = registered();
  const CciChar* name = nullptr;
  int requests = 0;
  otherHostTable(&name, &requests);
  EXPECT_EQ(ascii(name), "TALMO");
  EXPECT_EQ(requests, 1);
  EXPECT_NE(t.parseBuffer, nullptr);
  EXPECT_EQ(t.reserved9, nullptr);
  EXPECT_EQ(t.reserved14, nullptr);
}

TEST(OtherHost, ReadsAndWritesTheOverviewHeader) {
  std::string written, next;
  EXPECT_EQ(
      parseAndWrite("DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);ISA*00",
                    written, next),
      71);
  std::vector<Item> got = items();
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].name, "DATATYPE");
  EXPECT_EQ(got[0].text, "X12");
  EXPECT_EQ(got[1].text, "NEXT");
  EXPECT_EQ(got[2].valueType, valueTypeInteger);
  EXPECT_EQ(got[2].integer, 123);
  EXPECT_EQ(got[3].text, "2002-3-15");
  EXPECT_EQ(got[4].text, "10:15:30");
  int rc = 0;
  EXPECT_EQ(cpiElementCompleteNext(&rc, otherHostRoot()), 1);
  EXPECT_EQ(next, "NEXT");
  EXPECT_EQ(written, "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;");
}

// This host writes a cut, unterminated text before reporting 22; the
// plug-in fetches again into a larger buffer and writes the text whole.
TEST(OtherHost, LongNamesAndValuesAreWrittenWhole) {
  std::string name(600, 'N'), value(900, 'v');
  std::string written, next;
  std::string header = name + "(" + value + ") B(1);";
  EXPECT_EQ(parseAndWrite(header, written, next), static_cast<int>(header.size()));
  EXPECT_EQ(written, name + "(" + value + ") B(1) ;");
}

// Bytes come back sign-extended here: 0xA0 must neither be white space nor
// a delimiter.
TEST(OtherHost, SignExtendedBytesAreNotDelimiters) {
  std::string written, next;
  EXPECT_EQ(parseAndWrite("\xa0X(1)\xff;", written, next), 7);
  EXPECT_EQ(items().size(), 1u);
  int rc = 0;
  EXPECT_EQ(cpiElementCompleteNext(&rc, otherHostRoot()), 0);
}

// Writing bytes, this host's converter stops at the first unit outside
// ASCII with no terminator: the name is written as far as it got, without
// the bytes the earlier, longer name left.
TEST(OtherHost, ConverterStoppingUnterminatedLeavesNoStaleBytes) {
  otherHostReset("", 0);
  const ParserCallbackTable& t = registered();
  int rc = 0;
  auto add = [&](std::u16string name) {
    CciElement* e = cpiCreateElement(&rc, otherHostParser());
    cpiSetElementType(&rc, e, elementTypeNameValue);
    cpiSetElementName(&rc, e, reinterpret_cast<const CciChar*>(name.c_str()));
    cpiSetElementIntegerValue(&rc, e, 1);
    cpiAddAsLastChild(&rc, otherHostRoot(), e);
  };
  add(u"ABCDEFGH");
  add(u"X\u00e9Z");
  CciContext* context = t.createContext(otherHostParser());
  int length = t.writeBuffer(otherHostParser(), context);
  t.deleteContext(otherHostParser(), context);
  int size = 0;
  const unsigned char* out = otherHostOutput(&size);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(size)),
            "ABCDEFGH(1) X(1) ;");
  EXPECT_EQ(length, size);
}

}  // namespace
