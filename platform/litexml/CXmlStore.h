// The content shared by one document and every handle obtained from it: the
// loaded tree, a second tree holding elements made but not placed yet, and
// the node slots of the live handles, which are re-pointed when an element
// changes tree and emptied when it leaves the document.
//
// Owned through std::shared_ptr by the document and each handle, so it lives
// until the last of them is released. Not thread-safe (one user at a time).
#ifndef PLATFORM_LITEXML_CXMLSTORE_H_
#define PLATFORM_LITEXML_CXMLSTORE_H_

#include <pugixml.hpp>
#include <string>
#include <unordered_set>

class CXmlStore {
 public:
  CXmlStore() = default;
  CXmlStore(const CXmlStore&) = delete;
  CXmlStore& operator=(const CXmlStore&) = delete;

  pugi::xml_document& tree() { return tree_; }
  pugi::xml_document& pool() { return pool_; }
  // Whether the loaded file started with a UTF-8 byte order mark.
  bool bom() const { return bom_; }
  void set_bom(bool bom) { bom_ = bom; }
  // The line end of the loaded file: "\r\n" when its first line ends so.
  const char* line_end() const { return crlf_ ? "\r\n" : "\n"; }
  void set_crlf(bool crlf) { crlf_ = crlf; }

  // A handle's node slot; it must be detached before the handle goes.
  void attach(pugi::xml_node* slot) { slots_.insert(slot); }
  void detach(pugi::xml_node* slot) { slots_.erase(slot); }

  // True when `node` is `top` or inside it.
  static bool within(pugi::xml_node node, pugi::xml_node top);

  // Empties the slots of every handle on the loaded tree.
  void forget_tree();

  // Puts `node` under `parent` before `before` (last when `before` is
  // empty) and returns it. Within one tree the node moves; from the other
  // tree it is copied and the original removed, its handles following the
  // copy. Throws CLiteXmlException when the move is impossible (into itself
  // or one of its children).
  pugi::xml_node place(pugi::xml_node node, pugi::xml_node parent, pugi::xml_node before);

  // Removes `node` and everything in it, emptying the slots of handles on
  // them.
  void remove(pugi::xml_node node);

 private:
  pugi::xml_document tree_;
  pugi::xml_document pool_;
  bool bom_ = false;
  bool crlf_ = false;
  std::unordered_set<pugi::xml_node*> slots_;
};

#endif  // PLATFORM_LITEXML_CXMLSTORE_H_
