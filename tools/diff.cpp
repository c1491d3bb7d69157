// Differences between two messages' headers, item by item (see diff.h).
#include "diff.h"

#include <algorithm>
#include <map>
#include <utility>

namespace talmo {

namespace {

using tessplug::Element;

struct Keyed {
  std::string name;
  size_t occurrence;  // of that name, from 0
  const Element* element;
};

std::vector<Keyed> keyed(const Message& m) {
  std::vector<Keyed> all;
  std::map<std::string, size_t> seen;
  for (const Element* e : m.items()) {
    std::string name = tessplug::toUtf8(tessplug::nameOf(e));
    all.push_back({name, seen[name]++, e});
  }
  return all;
}

// The indexes of a longest increasing run of positions (not contiguous):
// the matched items that kept their order; the others moved.
std::vector<bool> inOrder(const std::vector<size_t>& positions) {
  std::vector<size_t> tails, tailIndex, previous(positions.size(), SIZE_MAX);
  for (size_t i = 0; i < positions.size(); ++i) {
    size_t k = static_cast<size_t>(std::lower_bound(tails.begin(), tails.end(), positions[i]) -
                                   tails.begin());
    if (k == tails.size()) {
      tails.push_back(positions[i]);
      tailIndex.push_back(i);
    } else {
      tails[k] = positions[i];
      tailIndex[k] = i;
    }
    previous[i] = k > 0 ? tailIndex[k - 1] : SIZE_MAX;
  }
  std::vector<bool> kept(positions.size(), false);
  for (size_t i = tailIndex.empty() ? SIZE_MAX : tailIndex.back(); i != SIZE_MAX; i = previous[i]) {
    kept[i] = true;
  }
  return kept;
}

}  // namespace

std::vector<Difference> diffMessages(const Message& a, const Message& b) {
  std::vector<Keyed> left = keyed(a), right = keyed(b);
  std::map<std::pair<std::string, size_t>, size_t> whereRight;
  for (size_t j = 0; j < right.size(); ++j) whereRight[{right[j].name, right[j].occurrence}] = j;

  std::vector<Difference> out;
  std::vector<bool> matchedRight(right.size(), false);
  std::vector<std::pair<size_t, size_t>> pairs;  // matched (left, right)
  for (size_t i = 0; i < left.size(); ++i) {
    auto found = whereRight.find({left[i].name, left[i].occurrence});
    if (found == whereRight.end()) {
      out.push_back({"removed", left[i].name, i + 1, 0, "", "", ""});
      continue;
    }
    matchedRight[found->second] = true;
    pairs.emplace_back(i, found->second);
  }
  for (size_t j = 0; j < right.size(); ++j) {
    if (!matchedRight[j]) out.push_back({"added", right[j].name, 0, j + 1, "", "", ""});
  }
  std::vector<size_t> rightPositions;
  for (const auto& [i, j] : pairs) rightPositions.push_back(j);
  std::vector<bool> kept = inOrder(rightPositions);
  for (size_t k = 0; k < pairs.size(); ++k) {
    auto [i, j] = pairs[k];
    const tessplug::Value& va = tessplug::valueOf(left[i].element);
    const tessplug::Value& vb = tessplug::valueOf(right[j].element);
    if (va.type != vb.type) {
      out.push_back(
          {"changed", left[i].name, i + 1, j + 1, "type", typeName(va.type), typeName(vb.type)});
    }
    std::string shownA = showValue(va), shownB = showValue(vb);
    if (shownA != shownB || (va.type == vb.type && !(va == vb))) {
      out.push_back({"changed", left[i].name, i + 1, j + 1, "value", shownA, shownB});
    }
    if (!kept[k]) out.push_back({"moved", left[i].name, i + 1, j + 1, "", "", ""});
  }
  if (a.nextParser != b.nextParser) {
    out.push_back({"next_parser", "", 0, 0, "", a.nextParser, b.nextParser});
  }
  if (a.closed != b.closed) {
    out.push_back({"closed", "", 0, 0, "", a.closed ? "yes" : "no", b.closed ? "yes" : "no"});
  }
  if (a.body() != b.body()) {
    out.push_back({"body", "", 0, 0, "", std::to_string(a.body().size()) + " bytes",
                   std::to_string(b.body().size()) + " bytes"});
  }
  return out;
}

}  // namespace talmo
