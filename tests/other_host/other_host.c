/*
 * Another host library, written in plain C from the same interface
 * description and deliberately unlike the stand-in host: handles are small
 * integers rather than addresses, bytes come back sign-extended, a value
 * or name that does not fit is written cut and unterminated before 22 is
 * reported, converters know only ASCII (reading, they put "?" for what
 * is not; writing bytes, they stop at the first unit that is not, with no
 * terminator, and report failure), and every factory request makes a new
 * factory. Built as a libtessplug.so of its own; other_host_test loads
 * the real plug-in against it. It keeps one parser and a fixed pool of
 * elements, enough for the headers the test reads.
 */
#include <stdint.h>
#include <string.h>

#define TESSPLUG_BUILDING
#include "other_host.h"
#include "plugin/tessplug.h"

enum { kMaxElements = 4096, kMaxText = 1024, kMaxOutput = 65536 };

typedef struct {
  int used, type, valueType;
  CciChar name[kMaxText];
  CciChar text[kMaxText];
  long long integer;
  CciTime time;
  CciDate date;
  int completePrevious, completeNext;
  int parent, first, last, next;
} Node;

static Node nodes[kMaxElements + 1]; /* index 0 is "none" */
static int nodeCount;
static const unsigned char* stream;
static int streamSize;
static unsigned char output[kMaxOutput];
static int outputSize;
static int factories;
static const ParserCallbackTable* definedTable;
static CciChar definedClass[64];

#define PARSER ((CciParser*)(intptr_t)0x5151)

static Node* node(CciElement* e) {
  intptr_t i = (intptr_t)e;
  return i > 0 && i <= nodeCount ? &nodes[i] : 0;
}
static CciElement* handleOf(int i) {
  return (CciElement*)(intptr_t)i;
}
static int ok(int* rc) {
  *rc = 0;
  return 1;
}
static int fail(int* rc) {
  *rc = 1;
  return 0;
}

static int unitsLen(const CciChar* s) {
  int n = 0;
  while (s[n]) ++n;
  return n;
}

/* Copies text into the caller's buffer; when it does not fit, writes what
   fits with no terminator and reports 22. */
static int copyOut(int* rc, const CciChar* text, CciChar* buffer, int capacity) {
  int n = unitsLen(text);
  if (!buffer || capacity <= 0) return fail(rc);
  if (n + 1 > capacity) {
    memcpy(buffer, text, (size_t)capacity * sizeof(CciChar));
    *rc = rcBufferTooSmall;
    return 0;
  }
  memcpy(buffer, text, (size_t)(n + 1) * sizeof(CciChar));
  ok(rc);
  return n;
}

/* ---- The test's side ---- */

void otherHostReset(const void* bytes, int size) {
  memset(nodes, 0, sizeof nodes);
  nodeCount = 1; /* the root */
  nodes[1].used = 1;
  nodes[1].type = elementTypeName;
  stream = (const unsigned char*)bytes;
  streamSize = size;
  outputSize = 0;
}
CciParser* otherHostParser(void) {
  return PARSER;
}
CciElement* otherHostRoot(void) {
  return handleOf(1);
}
const ParserCallbackTable* otherHostTable(const CciChar** className, int* factoryRequests) {
  *className = definedClass;
  *factoryRequests = factories;
  return definedTable;
}
const unsigned char* otherHostOutput(int* size) {
  *size = outputSize;
  return output;
}

/* ---- The 33 operations ---- */

CciFactory* cpiCreateParserFactory(int* rc, const CciChar* name) {
  if (!name) return fail(rc), (CciFactory*)0;
  ok(rc);
  return (CciFactory*)(intptr_t)(0x1000 + ++factories);
}

void cpiDefineParserClass(int* rc, CciFactory* factory, const CciChar* name,
                          ParserCallbackTable* table) {
  int n;
  if (!factory || !name || !table || (n = unitsLen(name)) >= 64) {
    fail(rc);
    return;
  }
  memcpy(definedClass, name, (size_t)(n + 1) * sizeof(CciChar));
  definedTable = table;
  ok(rc);
}

const void* cpiBufferPointer(int* rc, CciParser* p) {
  if (p != PARSER) return fail(rc), (const void*)0;
  ok(rc);
  return stream;
}

int cpiBufferSize(int* rc, CciParser* p) {
  if (p != PARSER) return fail(rc);
  ok(rc);
  return streamSize;
}

int cpiBufferByte(int* rc, CciParser* p, int offset) {
  if (p != PARSER || offset < 0 || offset >= streamSize) return fail(rc);
  ok(rc);
  return (signed char)stream[offset]; /* sign-extended, as a char-minded host may */
}

void cpiAppendToBuffer(int* rc, CciParser* p, const void* bytes, int count) {
  if (p != PARSER || count < 0 || outputSize + count > kMaxOutput) {
    fail(rc);
    return;
  }
  memcpy(output + outputSize, bytes, (size_t)count);
  outputSize += count;
  ok(rc);
}

CciElement* cpiRootElement(int* rc, CciParser* p) {
  if (p != PARSER) return fail(rc), (CciElement*)0;
  ok(rc);
  return handleOf(1);
}

CciElement* cpiCreateElement(int* rc, CciParser* p) {
  if (p != PARSER || nodeCount >= kMaxElements) return fail(rc), (CciElement*)0;
  nodes[++nodeCount].used = 1;
  ok(rc);
  return handleOf(nodeCount);
}

CciElement* cpiFirstChild(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc), (CciElement*)0;
  ok(rc);
  return handleOf(n->first);
}

CciElement* cpiNextSibling(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc), (CciElement*)0;
  ok(rc);
  return handleOf(n->next);
}

CciElement* cpiParent(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc), (CciElement*)0;
  ok(rc);
  return handleOf(n->parent);
}

int cpiElementType(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc);
  ok(rc);
  return n->type;
}

int cniElementValueType(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc);
  ok(rc);
  return n->valueType;
}

void cpiSetElementType(int* rc, CciElement* e, int type) {
  Node* n = node(e);
  if (!n) {
    fail(rc);
    return;
  }
  n->type = type;
  ok(rc);
}

void cpiSetElementName(int* rc, CciElement* e, const CciChar* name) {
  Node* n = node(e);
  int len;
  if (!n || !name || (len = unitsLen(name)) >= kMaxText) {
    fail(rc);
    return;
  }
  memcpy(n->name, name, (size_t)(len + 1) * sizeof(CciChar));
  ok(rc);
}

void cpiAddAsLastChild(int* rc, CciElement* parent, CciElement* child) {
  Node* p = node(parent);
  Node* c = node(child);
  if (!p || !c || c->parent || p == c) {
    fail(rc);
    return;
  }
  c->parent = (int)(intptr_t)parent;
  if (p->last) {
    nodes[p->last].next = (int)(intptr_t)child;
  } else {
    p->first = (int)(intptr_t)child;
  }
  p->last = (int)(intptr_t)child;
  ok(rc);
}

int cpiElementName(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Node* n = node(e);
  if (!n) return fail(rc);
  return copyOut(rc, n->name, buffer, capacity);
}

void cpiSetElementCompletePrevious(int* rc, CciElement* e, int complete) {
  Node* n = node(e);
  if (!n) {
    fail(rc);
    return;
  }
  n->completePrevious = complete;
  ok(rc);
}

void cpiSetElementCompleteNext(int* rc, CciElement* e, int complete) {
  Node* n = node(e);
  if (!n) {
    fail(rc);
    return;
  }
  n->completeNext = complete;
  ok(rc);
}

int cpiElementCompleteNext(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n) return fail(rc);
  ok(rc);
  return n->completeNext;
}

void cpiSetElementIntegerValue(int* rc, CciElement* e, long long value) {
  Node* n = node(e);
  if (!n) {
    fail(rc);
    return;
  }
  n->valueType = valueTypeInteger;
  n->integer = value;
  ok(rc);
}

void cpiSetElementCharacterValue(int* rc, CciElement* e, const CciChar* text, int length) {
  Node* n = node(e);
  if (!n || length < 0 || length >= kMaxText) {
    fail(rc);
    return;
  }
  n->valueType = valueTypeCharacter;
  memcpy(n->text, text, (size_t)length * sizeof(CciChar));
  n->text[length] = 0;
  ok(rc);
}

void cpiSetElementTimeValue(int* rc, CciElement* e, const CciTime* value) {
  Node* n = node(e);
  if (!n || !value) {
    fail(rc);
    return;
  }
  n->valueType = valueTypeTime;
  n->time = *value;
  ok(rc);
}

void cpiSetElementDateValue(int* rc, CciElement* e, const CciDate* value) {
  Node* n = node(e);
  if (!n || !value) {
    fail(rc);
    return;
  }
  n->valueType = valueTypeDate;
  n->date = *value;
  ok(rc);
}

int cpiElementBooleanValue(int* rc, CciElement* e) {
  (void)e;
  return fail(rc);
}

long long cpiElementIntegerValue(int* rc, CciElement* e) {
  Node* n = node(e);
  if (!n || n->valueType != valueTypeInteger) return fail(rc);
  ok(rc);
  return n->integer;
}

double cpiElementRealValue(int* rc, CciElement* e) {
  (void)e;
  fail(rc);
  return 0;
}

CciTime cpiElementTimeValue(int* rc, CciElement* e) {
  Node* n = node(e);
  CciTime none = {0, 0, 0.0f};
  if (!n || n->valueType != valueTypeTime) return fail(rc), none;
  ok(rc);
  return n->time;
}

CciDate cpiElementDateValue(int* rc, CciElement* e) {
  Node* n = node(e);
  CciDate none = {0, 0, 0};
  if (!n || n->valueType != valueTypeDate) return fail(rc), none;
  ok(rc);
  return n->date;
}

int cpiElementDecimalValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  (void)e;
  (void)buffer;
  (void)capacity;
  return fail(rc);
}

int cpiElementCharacterValue(int* rc, CciElement* e, CciChar* buffer, int capacity) {
  Node* n = node(e);
  if (!n || n->valueType != valueTypeCharacter) return fail(rc);
  return copyOut(rc, n->text, buffer, capacity);
}

/* ASCII only: anything else becomes '?' and the call reports a failure. */
int cciMbsToUcs(int* rc, const char* source, CciChar* target, int count, int codePage) {
  int i = 0;
  if (!source || count < 0 || codePage != codePageUtf8) return fail(rc);
  ok(rc);
  for (; i < count && source[i]; ++i) {
    unsigned char c = (unsigned char)source[i];
    if (c >= 0x80) *rc = 1;
    target[i] = c < 0x80 ? c : '?';
  }
  if (i < count) target[i] = 0;
  return i;
}

int cciUcsToMbs(int* rc, const CciChar* source, char* target, int count, int codePage) {
  int i = 0;
  if (!source || count < 0 || codePage != codePageUtf8) return fail(rc);
  ok(rc);
  for (; i < count && source[i]; ++i) {
    if (source[i] >= 0x80) return fail(rc);
    target[i] = (char)source[i];
  }
  if (i < count) target[i] = 0;
  return i;
}
