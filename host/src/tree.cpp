// Element trees: the parser instance over a bit stream that owns them, its
// callbacks through the class's table, building and reading trees, and
// snapshots for comparing and printing.
#include "tree.h"

#include <algorithm>
#include <cstdio>

namespace tessplug {

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
    : class_(parserClass),
      owned_(bytes.begin(), bytes.end()),
      elements_(std::make_unique<Elements>()) {
  data_ = owned_.data();
  size_ = static_cast<int>(owned_.size());
  clearRoot();
}

Parser::Parser(const ParserClass& parserClass, const void* data, int size)
    : class_(parserClass),
      data_(static_cast<const unsigned char*>(data)),
      size_(size),
      elements_(std::make_unique<Elements>()) {
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
  Element& e = elements_->all.emplace_back();
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
  appendChild(parent, e);
  return e;
}

void appendChild(Element* parent, Element* child) {
  child->parent = parent;
  child->previous = parent->lastChild;
  (parent->lastChild ? parent->lastChild->next : parent->firstChild) = child;
  parent->lastChild = child;
}

void Parser::detach(Element* element) {
  Element* parent = element->parent;
  if (!parent) return;
  (element->previous ? element->previous->next : parent->firstChild) = element->next;
  (element->next ? element->next->previous : parent->lastChild) = element->previous;
  element->parent = element->previous = element->next = nullptr;
}

void Parser::reset() {
  elements_->all.clear();
  output_.clear();
  clearRoot();
}

void Parser::clearRoot() {
  root_ = newElement(elementTypeName);
  root_->name = class_.name;
}

void ParserAccess::append(Parser& parser, const void* bytes, int count) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  parser.output_.insert(parser.output_.end(), p, p + count);
}

std::vector<Element*> children(const Element* parent) {
  std::vector<Element*> all;
  for (Element* c = parent->firstChild; c; c = c->next) all.push_back(c);
  return all;
}

const Text& nameOf(const Element* element) {
  return element->name;
}

const Value& valueOf(const Element* element) {
  return element->value;
}

bool isComplete(const Element* element) {
  return element->completeNext;
}

Round parseThenWrite(const ParserClass& parserClass, std::string_view bytes, int start) {
  Parser parser(parserClass, bytes.data(), static_cast<int>(bytes.size()));
  Round round;
  round.context = parser.createContext();
  if (!round.context) return round;
  round.offset = parser.parseBuffer(start);
  round.tree = snapshot(parser.root());
  round.length = parser.writeBuffer();
  round.written = parser.outputText();
  return round;
}

}  // namespace tessplug
