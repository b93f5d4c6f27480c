#include "platform/litexml/CXmlStore.h"

#include <unordered_map>

#include "platform/litexml/litexml.h"

namespace {

using NodeMap = std::unordered_map<pugi::xml_node_struct*, pugi::xml_node>;

// Maps every node of `from` (itself included) to the node at the same place
// in `to`, an exact copy of it. Walks without recursion, so deep trees are
// fine.
NodeMap map_copy(pugi::xml_node from, pugi::xml_node to) {
  NodeMap map;
  pugi::xml_node a = from;
  pugi::xml_node b = to;
  for (;;) {
    map[a.internal_object()] = b;
    if (a.first_child()) {
      a = a.first_child();
      b = b.first_child();
      continue;
    }
    while (a != from && !a.next_sibling()) {
      a = a.parent();
      b = b.parent();
    }
    if (a == from) return map;
    a = a.next_sibling();
    b = b.next_sibling();
  }
}

}  // namespace

bool CXmlStore::within(pugi::xml_node node, pugi::xml_node top) {
  for (; node; node = node.parent()) {
    if (node == top) return true;
  }
  return false;
}

void CXmlStore::forget_tree() {
  for (pugi::xml_node* slot : slots_) {
    if (*slot && slot->root() == tree_) *slot = pugi::xml_node();
  }
}

pugi::xml_node CXmlStore::place(pugi::xml_node node, pugi::xml_node parent, pugi::xml_node before) {
  if (node.root() == parent.root()) {
    pugi::xml_node moved =
        before ? parent.insert_move_before(node, before) : parent.append_move(node);
    if (!moved) throw CLiteXmlException("an element cannot be put into itself");
    return moved;
  }
  pugi::xml_node copy = before ? parent.insert_copy_before(node, before) : parent.append_copy(node);
  if (!copy) throw CLiteXmlException("the element could not be placed");
  NodeMap map = map_copy(node, copy);
  for (pugi::xml_node* slot : slots_) {
    NodeMap::const_iterator found = map.find(slot->internal_object());
    if (found != map.end()) *slot = found->second;
  }
  node.parent().remove_child(node);
  return copy;
}

void CXmlStore::remove(pugi::xml_node node) {
  for (pugi::xml_node* slot : slots_) {
    if (*slot && within(*slot, node)) *slot = pugi::xml_node();
  }
  node.parent().remove_child(node);
}
