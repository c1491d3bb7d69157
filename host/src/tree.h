// Inside the stand-in host's trees: the element record with its links,
// and the parser's parts that only the host operations reach. Callers of
// host.h see elements as opaque.
#ifndef TESSPLUG_TREE_H
#define TESSPLUG_TREE_H

#include <deque>

#include "tessplug/host.h"

namespace tessplug {

struct Element {
  Parser* owner = nullptr;
  int type = elementTypeName;
  Text name;
  Value value;
  bool completePrevious = false;
  bool completeNext = false;
  Element* parent = nullptr;
  Element* firstChild = nullptr;
  Element* lastChild = nullptr;
  Element* next = nullptr;
  Element* previous = nullptr;
};

Element* fromHandle(CciElement* element);

// Links a detached child in as parent's last child.
void appendChild(Element* parent, Element* child);

struct Parser::Elements {
  std::deque<Element> all;
};

// The bit stream and output of a parser, for the operations.
struct ParserAccess {
  static const unsigned char* data(const Parser& p) { return p.data_; }
  static int size(const Parser& p) { return p.size_; }
  static void append(Parser& p, const void* bytes, int count);
};

}  // namespace tessplug

#endif
