/*
 * TALMOparser: the TALMO header parser plug-in.
 *
 * The host loads the library, calls lokGetParserFactory once, and from then on
 * drives the plug-in through the callback table registered with the parser
 * class "TALMO". The plug-in reads the header at the front of a message
 * (items NAME(value) ended by ";") into name-value elements under the
 * parser's root, reports the last "CLASS" value as the parser class for the
 * rest of the message, and writes the root's children back as header text.
 *
 * Ownership: a ParserContext belongs to the plug-in from cpiCreateContext to
 * cpiDeleteContext; the callback table and the name constants belong to the
 * library for its whole life. Elements, factories and bit streams belong to
 * the host, which copies every string it is given. Every other block a
 * callback takes is given back before it returns.
 *
 * Trust: every byte of the bit stream and every host answer is untrusted. The
 * cursor never reads outside [0, bufferSize), every fixed area is written
 * within its bounds, and no text from the host is read past its block.
 *
 * Sections, in order: text conversions, registration, context and chaining,
 * field types, header parser, value formatting, header writer.
 */
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "node_utils.h"
#include "platform.h"
#include "plugin/tessplug.h"
#include "talmo/fields.h"
#include "talmo_heap.h"
#include "talmo_version.h"
#include "text_blocks.h"

namespace {

const CciChar kBlank = 0x20;

}  // namespace

/* ------------------------------------------------------------------------ */
/* Text conversions between byte strings and 16-bit strings                 */
/* ------------------------------------------------------------------------ */

namespace {

/* A 16-bit string as UTF-8, in the caller's area when it fits there (a
   block of areaBytes), else in a new block; the caller frees the result
   only when it is not its area. The host sees the same conversion either
   way. A unit takes up to three bytes in UTF-8 (a surrogate pair four for
   two units), so the target has room for three bytes a unit and text from
   U+0080 up is written whole. Null when no memory. */
char* utf8Into(const CciChar* s, char* area, size_t areaBytes) {
  size_t n = platTextLen(s);
  if (n >= INT_MAX / 3) return nullptr;
  return bytesFromText(s, 3 * n + 1, area, areaBytes);
}

}  // namespace

extern "C" {

/* A byte string (UTF-8) as a new 16-bit string; null when no memory. */
CciChar* ASCIIToUnicode(const char* text) {
  return unitsFromText(text);
}

/* A 16-bit string as a new UTF-8 byte string; null when no memory. */
char* UnicodeToASCII(const CciChar* s) {
  return utf8Into(s, nullptr, 0);
}
}

/* ------------------------------------------------------------------------ */
/* Registration: name constants, callback table, entry point                */
/* ------------------------------------------------------------------------ */

extern "C" {
CciContext* cpiCreateContext(CciParser* parser);
void cpiDeleteContext(CciParser* parser, CciContext* context);
int cpiParseBuffer(CciParser* parser, CciContext* context, int startOffset);
void cpiParseFirstChild(CciParser* parser, CciContext* context, CciElement* element);
void cpiParseLastChild(CciParser* parser, CciContext* context, CciElement* element);
void cpiParseLeftSibling(CciParser* parser, CciContext* context, CciElement* element);
void cpiParseRightSibling(CciParser* parser, CciContext* context, CciElement* element);
int cpiWriteBuffer(CciParser* parser, CciContext* context);
void cpiNextParserClassName(CciParser* parser, CciContext* context, CciChar* buffer, int size);
void cpiSetNextParserClassName(CciParser* parser, CciContext* context, const CciChar* name,
                               int flag);
CciParserTypeResult cpiParserType(CciParser* parser, CciContext* context);
}

/* The version in the file itself, where `strings`, `what` and talmo info
   find it; nothing in the plug-in reads it. */
__attribute__((used)) static const char versionMarker[] = "@(#)TALMOparser " TALMO_VERSION;

/* The nineteen name constants: null in the loaded library, made by
   initParserConstants (Unix: heap strings through the host's converter;
   Windows: static literals) and never freed. */
extern "C" {
#define TALMO_NAME_CONSTANT(constant, text) const CciChar* constant = nullptr;
#define TALMO_FIELD_CONSTANT(field, type) const CciChar* const##field = nullptr;
TALMO_REGISTRATION_NAMES(TALMO_NAME_CONSTANT)
TALMO_FIELDS(TALMO_FIELD_CONSTANT)
#undef TALMO_NAME_CONSTANT
#undef TALMO_FIELD_CONSTANT

/* Makes, in table order, each constant that is not made yet, and keeps it
   only when it holds its text exactly: a constant is made once for the
   life of the library, so a later entry-point call neither leaks a second
   set nor changes a name that other threads are reading. Returns 0 when a
   constant could not be made; the entry point then registers nothing, and
   a later call tries again. */
int initParserConstants(void) {
  struct NameConstant {
    const CciChar** slot;
    const char* text;
  };
#define TALMO_NAME_ENTRY(constant, text) {&constant, text},
#define TALMO_FIELD_ENTRY(field, type) {& const##field, #field},
  static const NameConstant names[] = {TALMO_REGISTRATION_NAMES(TALMO_NAME_ENTRY)
                                           TALMO_FIELDS(TALMO_FIELD_ENTRY)};
#undef TALMO_NAME_ENTRY
#undef TALMO_FIELD_ENTRY
  for (const NameConstant& name : names) {
    if (*name.slot) continue;
    const CciChar* text = platNameText(name.text);
    if (!text) return 0;
    size_t i = 0;
    while (name.text[i] != 0 && text[i] == static_cast<unsigned char>(name.text[i])) ++i;
    if (name.text[i] != 0 || text[i] != 0) {
      platReleaseName(text);
      return 0;
    }
    *name.slot = text;
  }
  return 1;
}
}

/* The table handed to the host with the class; the host keeps its address
   and calls through it for the life of the library. */
static ParserCallbackTable parserTable;

/* The one symbol the Windows DLL exports. */
extern "C" CCI_EXPORT CciFactory* lokGetParserFactory(void) {
  if (!initParserConstants()) return nullptr;
  /* One assignment gives every slot its value; a slot that the host may be
     calling through is never seen empty while the table is refilled. */
  parserTable = ParserCallbackTable{
      .createContext = cpiCreateContext,                   /* 1: new context for a parser */
      .deleteContext = cpiDeleteContext,                   /* 2: frees it */
      .parseBuffer = cpiParseBuffer,                       /* 3: reads the whole header */
      .parseFirstChild = cpiParseFirstChild,               /* 4: reads on for a first child */
      .parseLastChild = cpiParseLastChild,                 /* 5: reads on until complete */
      .parseLeftSibling = cpiParseLeftSibling,             /* 6: nothing to read */
      .parseRightSibling = cpiParseRightSibling,           /* 7: reads on for a next sibling */
      .writeBuffer = cpiWriteBuffer,                       /* 8: writes the header back */
      .reserved9 = nullptr,                                /* 9: not offered */
      .reserved10 = nullptr,                               /* 10: not offered */
      .nextParserClassName = cpiNextParserClassName,       /* 11: class for the body */
      .setNextParserClassName = cpiSetNextParserClassName, /* 12: kept, never read */
      .reserved13 = nullptr,                               /* 13: not offered */
      .reserved14 = nullptr,                               /* 14: not offered */
      .parserType = cpiParserType,                         /* 15: always 0 */
  };
  int rc = 0;
  CciFactory* factory = cpiCreateParserFactory(&rc, constParserFactory);
  if (factory) cpiDefineParserClass(&rc, factory, constTALMO, &parserTable);
  return factory;
}

/* ------------------------------------------------------------------------ */
/* Parser context and parser chaining                                       */
/* ------------------------------------------------------------------------ */

namespace {

const int kNextParserNameUnits = 255;
const int kClassNameUnits = 16;

struct ParserContext {
  CciChar nextParserName[kNextParserNameUnits]; /* last name given by the host */
  unsigned char nextParserFlag;                 /* low byte of the flag given with it */
  CciChar currentChar;                          /* the byte under the cursor, widened */
  CciElement* parseElement;                     /* root while reading, else 0 */
  const unsigned char* bufferStart;             /* the bit stream, or null */
  int bufferSize;                               /* bytes in the bit stream */
  int offset;                                   /* the cursor */
  CciChar className[kClassNameUnits];           /* last "CLASS" value; blank first: none */
};

ParserContext* asContext(CciContext* context) {
  return static_cast<ParserContext*>(context);
}

/* Copies a zero-terminated text into an area of units, cut to leave room for
   the terminator. */
void copyBounded(CciChar* area, int units, const CciChar* text) {
  platTextNCpy(area, text, static_cast<unsigned>(units - 1));
  area[units - 1] = 0;
}

}  // namespace

extern "C" {

CciContext* cpiCreateContext(CciParser*) {
  ParserContext* context = static_cast<ParserContext*>(talmoAlloc(sizeof(ParserContext)));
  if (!context) return nullptr;
  memset(context, 0, sizeof *context);
  copyBounded(context->nextParserName, kNextParserNameUnits, constTALMO);
  return context;
}

void cpiDeleteContext(CciParser*, CciContext* context) {
  talmoFree(context);
}

void cpiNextParserClassName(CciParser*, CciContext* context, CciChar* buffer, int size) {
  ParserContext* ctx = asContext(context);
  if (!ctx || !buffer || size <= 0) return;
  bool none = ctx->className[0] == kBlank;
  platTextNCpy(buffer, none ? constNone : ctx->className, static_cast<unsigned>(size));
  if (!none) platEndReportedClassName(buffer, size);
}

/* A name longer than the 254 units the record holds is cut. */
void cpiSetNextParserClassName(CciParser*, CciContext* context, const CciChar* name, int flag) {
  ParserContext* ctx = asContext(context);
  if (!ctx) return;
  const CciChar empty[1] = {0};
  copyBounded(ctx->nextParserName, kNextParserNameUnits, name ? name : empty);
  ctx->nextParserFlag = static_cast<unsigned char>(flag & 0xFF);
}

CciParserTypeResult cpiParserType(CciParser*, CciContext*) {
  return 0;
}
}

/* ------------------------------------------------------------------------ */
/* Field types and value conversion                                         */
/* ------------------------------------------------------------------------ */

namespace {

struct FieldType {
  const CciChar* const* name;
  int valueType;
};

/* Searched in this order; the names are compared whole, case included. */
#define TALMO_FIELD_TYPE(field, type) {& const##field, type},
const FieldType kFieldTypes[] = {TALMO_FIELDS(TALMO_FIELD_TYPE)};
#undef TALMO_FIELD_TYPE

int WhatType(const CciChar* name) {
  for (const FieldType& field : kFieldTypes) {
    if (platTextCmp(name, *field.name) == 0) return field.valueType;
  }
  return valueTypeCharacter;
}

/* Pair k (0, 1, 2) of a six-character date or time text as a number. A pair
   that the end of the text cuts short is filled with zeros, and one wholly
   past the end reads as empty, that is 0. */
int pairValue(const CciChar* text, unsigned length, unsigned k) {
  CciChar pair[3] = {0, 0, 0};
  if (2 * k < length) platTextNCpy(pair, text + 2 * k, 2);
  return platPairToInt(pair);
}

int SetElementValue(CciElement* element, const CciChar* text, int valueType) {
  int rc = 0;
  switch (valueType) {
    case valueTypeInteger: {
      long value = platTextToLong(text);
      if (value > INT_MAX) value = INT_MAX;
      if (value < INT_MIN) value = INT_MIN;
      cpiSetElementIntegerValue(&rc, element, static_cast<long long>(value));
      break;
    }
    case valueTypeCharacter:
      cpiSetElementCharacterValue(&rc, element, text, static_cast<int>(platTextLen(text)));
      break;
    case valueTypeTime: {
      /* A braced list is evaluated in order: hour, minute, seconds. */
      unsigned length = platTextLen(text);
      CciTime time = {pairValue(text, length, 0), pairValue(text, length, 1),
                      static_cast<float>(pairValue(text, length, 2))};
      cpiSetElementTimeValue(&rc, element, &time);
      break;
    }
    case valueTypeDate: {
      /* The day is read first, then the month, then the year. */
      unsigned length = platTextLen(text);
      int day = pairValue(text, length, 2), month = pairValue(text, length, 1);
      CciDate date = {2000 + pairValue(text, length, 0), month, day};
      cpiSetElementDateValue(&rc, element, &date);
      break;
    }
    default:
      break;
  }
  return rc;
}

}  // namespace

/* ------------------------------------------------------------------------ */
/* Header parser                                                            */
/* ------------------------------------------------------------------------ */

namespace {

/* The cursor is at the end when it is outside the bit stream; a start offset
   that the host puts before the stream counts as the end too, so that no byte
   is ever read outside [0, bufferSize). */
bool atEnd(const ParserContext* ctx) {
  return ctx->offset < 0 || ctx->offset >= ctx->bufferSize;
}

void readCurrent(ParserContext* ctx, CciParser* parser) {
  int rc = 0;
  ctx->currentChar = platWidenByte(cpiBufferByte(&rc, parser, ctx->offset));
}

/* A step that lands on the end keeps the last byte read in currentChar. */
void advance(ParserContext* ctx, CciParser* parser) {
  if (atEnd(ctx)) return;
  ++ctx->offset;
  if (!atEnd(ctx)) readCurrent(ctx, parser);
}

void goToNameEnd(ParserContext* ctx, CciParser* parser) {
  while (!atEnd(ctx) && ctx->currentChar != '(') advance(ctx, parser);
}

void goToValueEnd(ParserContext* ctx, CciParser* parser) {
  while (!atEnd(ctx) && ctx->currentChar != ')') advance(ctx, parser);
}

void skipWhiteSpace(ParserContext* ctx, CciParser* parser) {
  while (!atEnd(ctx) && platIsSpace(ctx->currentChar)) advance(ctx, parser);
}

/* Names and values up to this many units are made on the stack; longer
   ones on the heap. */
const unsigned kRunUnits = 256;

/* The bytes from start to the cursor as a 16-bit string, in area when it
   fits; released with platFreeText. */
CciChar* textFrom(const ParserContext* ctx, int start, CciChar* area) {
  return platTextFromRun(ctx->bufferStart + start, static_cast<unsigned>(ctx->offset - start), area,
                         kRunUnits);
}

/* A name or value whose text could not be made (no memory) is empty: the
   item is still made and read to its end, so that the header ends where its
   syntax ends, whatever the allocator does. */
const CciChar* textOrEmpty(const CciChar* text) {
  static const CciChar kEmpty[1] = {0};
  return text ? text : kEmpty;
}

/* Reads one item under parent, or the ";" that ends the header. Returns the
   parent after an item and 0 when the header is finished. The end of the bit
   stream finishes the header quietly, without complete flags on the parent:
   where a name may begin, in white space, or inside a name that no "("
   follows (no element: without its "(" the bytes are not an item). An item
   whose "(" was read is made whole, with the bytes up to the end of the
   stream as its value, so that nothing it carried is lost. */
CciElement* parseNextItem(CciParser* parser, ParserContext* ctx, CciElement* parent) {
  int rc = 0;
  if (atEnd(ctx)) return nullptr;
  skipWhiteSpace(ctx, parser);
  if (atEnd(ctx)) return nullptr;
  if (ctx->currentChar == ';') {
    advance(ctx, parser);
    cpiSetElementCompletePrevious(&rc, parent, 1);
    cpiSetElementCompleteNext(&rc, parent, 1);
    return nullptr;
  }

  int nameStart = ctx->offset;
  goToNameEnd(ctx, parser);
  if (atEnd(ctx)) return nullptr;
  CciChar nameArea[kRunUnits];
  CciChar* name = textFrom(ctx, nameStart, nameArea);

  CciElement* element = cpiCreateElement(&rc, parser);
  cpiSetElementType(&rc, element, elementTypeNameValue);
  cpiSetElementName(&rc, element, textOrEmpty(name));
  int valueType = WhatType(textOrEmpty(name));
  bool isClass = platTextCmp(textOrEmpty(name), constCLASS) == 0;
  if (name) platFreeText(name, nameArea);

  cpiAddAsLastChild(&rc, parent, element);
  cpiSetElementCompletePrevious(&rc, element, 1);
  cpiSetElementCompleteNext(&rc, element, 1);

  advance(ctx, parser);
  int valueStart = ctx->offset;
  goToValueEnd(ctx, parser);
  CciChar valueArea[kRunUnits];
  CciChar* value = textFrom(ctx, valueStart, valueArea);
  SetElementValue(element, textOrEmpty(value), valueType);
  /* The slot holds 15 units: a longer value is cut there. */
  if (isClass) copyBounded(ctx->className, kClassNameUnits, textOrEmpty(value));
  if (value) platFreeText(value, valueArea);

  advance(ctx, parser);
  return parent;
}

/* Reads on while a header is pending. */
void readNextItem(CciParser* parser, ParserContext* ctx) {
  ctx->parseElement = parseNextItem(parser, ctx, ctx->parseElement);
}

}  // namespace

extern "C" {

int cpiParseBuffer(CciParser* parser, CciContext* context, int startOffset) {
  ParserContext* ctx = asContext(context);
  if (!ctx) return startOffset;
  int rc = 0;
  ctx->bufferStart = static_cast<const unsigned char*>(cpiBufferPointer(&rc, parser));
  ctx->offset = ctx->bufferStart ? startOffset : 0;
  int size = cpiBufferSize(&rc, parser);
  /* Without an address no byte can be read: the header reads as empty. */
  ctx->bufferSize = ctx->bufferStart && size > 0 ? size : 0;
  if (!atEnd(ctx)) readCurrent(ctx, parser);
  ctx->parseElement = cpiRootElement(&rc, parser);
  ctx->className[0] = kBlank;
  while (ctx->parseElement) readNextItem(parser, ctx);
  return ctx->offset;
}

void cpiParseFirstChild(CciParser* parser, CciContext* context, CciElement* element) {
  ParserContext* ctx = asContext(context);
  if (!ctx) return;
  int rc = 0;
  if (platTruth(cpiElementCompleteNext(&rc, element))) return;
  if (cpiElementType(&rc, element) != elementTypeName) return;
  for (;;) {
    if (platTruth(cpiElementCompleteNext(&rc, element))) return;
    if (cpiFirstChild(&rc, element)) return;
    if (!ctx->parseElement) return;
    readNextItem(parser, ctx);
  }
}

void cpiParseLastChild(CciParser* parser, CciContext* context, CciElement* element) {
  ParserContext* ctx = asContext(context);
  if (!ctx) return;
  int rc = 0;
  if (cpiElementType(&rc, element) != elementTypeName) return;
  for (;;) {
    if (platTruth(cpiElementCompleteNext(&rc, element))) return;
    if (!ctx->parseElement) return;
    readNextItem(parser, ctx);
  }
}

/* Items are only ever appended, so earlier siblings always exist already. */
void cpiParseLeftSibling(CciParser*, CciContext*, CciElement*) {}

void cpiParseRightSibling(CciParser* parser, CciContext* context, CciElement* element) {
  ParserContext* ctx = asContext(context);
  if (!ctx) return;
  int rc = 0;
  for (;;) {
    CciElement* parent = cpiParent(&rc, element);
    if (platTruth(cpiElementCompleteNext(&rc, parent))) return;
    if (cpiNextSibling(&rc, element)) return;
    if (!ctx->parseElement) return;
    readNextItem(parser, ctx);
  }
}
}

/* ------------------------------------------------------------------------ */
/* Element value formatting                                                 */
/* ------------------------------------------------------------------------ */

namespace {

const int kValueUnits = 256;

/* Room for any double in "%.16f": 309 integer digits, sign, point and 16
   decimals. */
const int kNumberText = 352;

/* Names and values whose UTF-8 fits here are converted on the stack. */
const size_t kTextArea = 3 * kValueUnits + 1;

/* Appends a 16-bit text as UTF-8. */
void appendText(NodeStringBuffer* out, const CciChar* text) {
  char area[kTextArea];
  char* bytes = utf8Into(text, area, sizeof area);
  if (!bytes) return;
  NodeStringBufferAdd(out, bytes);
  if (bytes != area) talmoFree(bytes);
}

/* Decimal digits of v, at least minDigits of them, after a "-" when v is
   negative: what "%lld" (minDigits 1) and "%.2d" (minDigits 2) print. Writes
   at most 21 bytes and a terminator; returns the end. */
char* formatInteger(char* out, long long v, int minDigits) {
  if (minDigits == 2 && v >= 0 && v < 100) {  // the usual date and time part
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
    out[2] = 0;
    return out + 2;
  }
  unsigned long long magnitude =
      v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (n < minDigits) digits[n++] = '0';
  if (v < 0) *out++ = '-';
  while (n > 0) *out++ = digits[--n];
  *out = 0;
  return out;
}

/* "%.2d%.2d%.2d" of three numbers: YYMMDD and HHMMSS. */
void appendPairs(NodeStringBuffer* out, long long a, long long b, long long c) {
  char text[3 * 21 + 1];
  formatInteger(formatInteger(formatInteger(text, a, 2), b, 2), c, 2);
  NodeStringBufferAdd(out, text);
}

/* Fetches a character value, growing the buffer while the host reports it
   too small, and appends it when the host delivers it. The growth stops,
   appending nothing, where the capacity would leave the int range or memory
   runs out; the host's last code is returned. */
int writeCharacterValue(NodeStringBuffer* out, CciElement* element) {
  int rc = 0;
  CciChar first[kValueUnits];
  CciChar* buffer = first;
  int capacity = kValueUnits;
  cpiElementCharacterValue(&rc, element, buffer, capacity);
  while (rc == rcBufferTooSmall && capacity <= INT_MAX / 2) {
    capacity *= 2;
    if (buffer != first) talmoFree(buffer);
    buffer = static_cast<CciChar*>(talmoAlloc(static_cast<size_t>(capacity) * sizeof(CciChar)));
    if (!buffer) return rc;
    cpiElementCharacterValue(&rc, element, buffer, capacity);
  }
  if (rc == 0) {
    buffer[capacity - 1] = 0;
    appendText(out, buffer);
  }
  if (buffer != first) talmoFree(buffer);
  return rc;
}

void writeReal(NodeStringBuffer* out, double value) {
  if (isnan(value)) return NodeStringBufferAdd(out, "NAN");
  if (isinf(value)) return NodeStringBufferAdd(out, value < 0 ? "-INF" : "INF");
  char number[kNumberText];
  snprintf(number, sizeof number, "%16.16f", value);
  NodeStringBufferAdd(out, number);
}

/* Whole seconds, truncated toward zero; a count the host gives outside the
   int range (or not a number) is held at the range's edge (or 0). */
int wholeSeconds(float seconds) {
  if (isnan(seconds)) return 0;
  if (seconds >= 2147483648.0f) return INT_MAX;
  if (seconds <= -2147483648.0f) return INT_MIN;
  return static_cast<int>(seconds);
}

int WriteElementValue(NodeStringBuffer* out, CciElement* element) {
  int rc = 0;
  int valueType = cniElementValueType(&rc, element);
  char number[22];
  switch (valueType) {
    case valueTypeBoolean: {
      int value = cpiElementBooleanValue(&rc, element);
      NodeStringBufferAdd(out, platTruth(value) ? "TRUE" : "FALSE");
      break;
    }
    case valueTypeInteger: {
      long long value = cpiElementIntegerValue(&rc, element);
      if (rc != 0) break;
      formatInteger(number, value, 1);
      NodeStringBufferAdd(out, number);
      break;
    }
    case valueTypeFloat: {
      double value = cpiElementRealValue(&rc, element);
      if (rc == 0) writeReal(out, value);
      break;
    }
    case valueTypeDecimal: {
      CciChar text[kValueUnits];
      text[0] = 0;
      cpiElementDecimalValue(&rc, element, text, kValueUnits);
      if (rc != 0) break;
      text[kValueUnits - 1] = 0;
      appendText(out, text);
      break;
    }
    case valueTypeCharacter:
      rc = writeCharacterValue(out, element);
      break;
    case valueTypeTime:
    case valueTypeTime2: {
      CciTime time = cpiElementTimeValue(&rc, element);
      if (rc != 0) {
        NodeStringBufferAdd(out, "<time>");
        break;
      }
      appendPairs(out, time.hour, time.minute, wholeSeconds(time.seconds));
      break;
    }
    case valueTypeDate: {
      CciDate date = cpiElementDateValue(&rc, element);
      if (rc != 0) {
        NodeStringBufferAdd(out, "<date>");
        break;
      }
      /* In 64 bits, so that no year the host holds overflows. */
      appendPairs(out, date.year - 2000ll, date.month, date.day);
      break;
    }
    case valueTypeTimestamp:
    case valueTypeTimestamp2:
      NodeStringBufferAdd(out, "<timestamp>");
      break;
    case valueTypeBinary:
    case valueTypeBinary2:
      NodeStringBufferAdd(out, "<binary>");
      break;
    default:
      NodeStringBufferAdd(out, "<unknown>");
      break;
  }
  return rc;
}

}  // namespace

/* ------------------------------------------------------------------------ */
/* Header writer                                                            */
/* ------------------------------------------------------------------------ */

namespace {

int WriteElement(NodeStringBuffer* out, CciElement* element, const char* name) {
  if (!element || !name) return 0;
  NodeStringBufferAdd(out, name);
  NodeStringBufferAddChar(out, '(');
  int rc = WriteElementValue(out, element);
  NodeStringBufferAddChar(out, ')');
  NodeStringBufferAddChar(out, ' ');
  return rc;
}

/* The child's name as UTF-8, in area when it fits (else in a new block the
   caller frees), or null when no memory. A name too long for the 256 units
   of the first fetch is fetched again into a larger buffer, so that it is
   written whole; a name the host does not deliver at all is written empty,
   never with what an earlier child left. */
char* itemName(int* rc, CciElement* child, char* area, size_t areaBytes) {
  CciChar first[kValueUnits];
  CciChar* name = first;
  int capacity = kValueUnits;
  name[0] = 0;
  cpiElementName(rc, child, name, capacity);
  while (*rc == rcBufferTooSmall && capacity <= INT_MAX / 2) {
    capacity *= 2;
    if (name != first) talmoFree(name);
    name = static_cast<CciChar*>(talmoAlloc(static_cast<size_t>(capacity) * sizeof(CciChar)));
    if (!name) return nullptr;
    name[0] = 0;
    cpiElementName(rc, child, name, capacity);
  }
  if (*rc != 0) name[0] = 0;
  name[capacity - 1] = 0;
  char* bytes = utf8Into(name, area, areaBytes);
  if (name != first) talmoFree(name);
  return bytes;
}

}  // namespace

extern "C" {

/* The longest header text handed to the host, ";" included: the host counts
   it in an int. A constant for the product; visible (like talmoHeap) so that
   a test can lower it instead of building a 2 GiB tree. */
size_t talmoLongestHeader = INT_MAX;

/* Only a failing first-child or next-sibling fetch ends the loop early: the
   one return code is overwritten by every call, and those two fetches are
   the last calls before each test. An item that would take the text past
   talmoLongestHeader is left out with every item after it: the host gets
   the items that fit, then ";", and never a negative count. */
int cpiWriteBuffer(CciParser* parser, CciContext*) {
  int rc = -1;
  CciElement* root = cpiRootElement(&rc, parser);
  NodeStringBuffer* text = NodeStringBufferAlloc();
  CciElement* child = cpiFirstChild(&rc, root);
  char area[kTextArea];
  while (child && rc == 0) {
    unsigned before = text->length;
    char* name = itemName(&rc, child, area, sizeof area);
    WriteElement(text, child, name);
    if (name != area) talmoFree(name);
    if (text->length >= talmoLongestHeader) {
      text->length = before;
      text->data[before] = 0;
      break;
    }
    child = cpiNextSibling(&rc, child);
  }
  NodeStringBufferAddChar(text, ';');
  int length = static_cast<int>(text->length);
  cpiAppendToBuffer(&rc, parser, text->data, length);
  NodeStringBufferFree(text);
  return length;
}
}
