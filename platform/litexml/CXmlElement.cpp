#include "platform/litexml/CXmlElement.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/litexml/CXmlNodeList.h"

namespace {

bool is_text(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// A text child holding only line breaks and blanks: the layout between
// elements.
bool is_blank(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata &&
         node.value()[std::strspn(node.value(), " \t\r\n")] == '\0';
}

bool has_element_child(pugi::xml_node node) {
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_element) return true;
  }
  return false;
}

// Taking an element out of a laid-out parent takes the line break and
// indentation before it too, so no blank line is left behind.
void drop_leading_blank(pugi::xml_node node) {
  pugi::xml_node before = node.previous_sibling();
  if (node.parent().type() == pugi::node_element && is_blank(before)) {
    node.parent().remove_child(before);
  }
}

// A blank that ends a line.
bool is_line_break(pugi::xml_node node) {
  return is_blank(node) && std::strchr(node.value(), '\n') != nullptr;
}

// The last line break of a blank with the indentation after it.
std::string last_line(pugi::xml_node blank) {
  std::string value = blank.value();
  std::string::size_type at = value.rfind('\n');
  if (at > 0 && value[at - 1] == '\r') --at;
  return value.substr(at);
}

// In a parent laid out one child per line, a new last child gets a line of
// its own: returns the blank that closes the parent (added when the parent
// was empty), to put the child before, and sets `indentation` to the blank
// to put before the child. Returns null for a parent laid out otherwise.
pugi::xml_node line_for_child(pugi::xml_node parent, std::string& indentation) {
  const char* const kStep = "  ";
  pugi::xml_node only = parent.first_child();
  if (only.type() == pugi::node_pcdata && !only.next_sibling() && *only.value() == '\0') {
    parent.remove_child(only);  // loaded as <x></x>; a child makes that moot
  }
  pugi::xml_node closing = parent.last_child();
  pugi::xml_node last = closing.previous_sibling();
  if (is_line_break(closing) && last && !is_blank(last) && is_line_break(last.previous_sibling())) {
    indentation = last.previous_sibling().value();  // like the last child
    return closing;
  }
  if (is_line_break(closing) && !last) {  // holds nothing but a line break
    indentation = last_line(closing) + kStep;
    return closing;
  }
  if (!closing && is_line_break(parent.previous_sibling())) {  // empty, on a line of its own
    std::string line = last_line(parent.previous_sibling());
    indentation = line + kStep;
    closing = parent.append_child(pugi::node_pcdata);
    closing.set_value(line.c_str());
    return closing;
  }
  return pugi::xml_node();
}

bool name_start(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c > 0x7F;
}

// Every element selected by `xpath` from `context`, in document order.
std::vector<pugi::xml_node> select_elements(pugi::xml_node context, const std::string& xpath) {
  try {
    pugi::xpath_node_set found = context.select_nodes(xpath.c_str());
    found.sort();
    std::vector<pugi::xml_node> elements;
    for (const pugi::xpath_node& match : found) {
      if (match.node().type() == pugi::node_element) elements.push_back(match.node());
    }
    return elements;
  } catch (const pugi::xpath_exception& error) {
    throw CLiteXmlException("bad XPath \"" + xpath + "\": " + error.what());
  } catch (const std::bad_alloc&) {
    throw CLiteXmlException("out of memory evaluating \"" + xpath + "\"");
  }
}

}  // namespace

CXmlElement::CXmlElement(std::shared_ptr<CXmlStore> store, pugi::xml_node node)
    : store_(std::move(store)), node_(node) {
  store_->attach(&node_);
}

CXmlElement::~CXmlElement() { store_->detach(&node_); }

bool CXmlElement::valid_name(const std::string& name) {
  if (name.empty() || !name_start(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (!name_start(byte) && !(byte >= '0' && byte <= '9') && byte != '-' && byte != '.') {
      return false;
    }
  }
  return true;
}

pugi::xml_node CXmlElement::node() const {
  if (!node_) throw CLiteXmlException("the element is no longer in the document");
  return node_;
}

pugi::xml_node CXmlElement::node_of(IXmlElement* element) const {
  CXmlElement* other = dynamic_cast<CXmlElement*>(element);
  if (other == nullptr) throw CLiteXmlException("no element given");
  if (other->store_ != store_) throw CLiteXmlException("the element belongs to another document");
  return other->node();
}

pugi::xml_node CXmlElement::child_of(IXmlElement* element) const {
  pugi::xml_node child = node_of(element);
  if (child.parent() != node()) throw CLiteXmlException("the element is not a child of this one");
  return child;
}

std::string CXmlElement::text() {
  std::string joined;
  for (pugi::xml_node child : node().children()) {
    if (is_text(child)) joined += child.value();
  }
  return joined;
}

void CXmlElement::set_text(const std::string& text) {
  pugi::xml_node self = node();
  if (has_element_child(self)) {
    self.text().set(text.c_str());
    return;
  }
  // <x></x> stays so when emptied; <x/> stays so when set to "".
  bool had_text = self.find_child(is_text);
  while (pugi::xml_node old = self.find_child(is_text)) self.remove_child(old);
  if (had_text || !text.empty()) self.append_child(pugi::node_pcdata).set_value(text.c_str());
}

std::string CXmlElement::attribute(const std::string& name) {
  return node().attribute(name.c_str()).value();
}

void CXmlElement::set_attribute(const std::string& name, const std::string& value) {
  pugi::xml_node self = node();
  if (!valid_name(name)) throw CLiteXmlException("invalid attribute name \"" + name + "\"");
  pugi::xml_attribute found = self.attribute(name.c_str());
  if (!found) found = self.append_attribute(name.c_str());
  found.set_value(value.c_str());
}

IXmlElement* CXmlElement::child(const std::string& name) {
  for (pugi::xml_node found : node().children(name.c_str())) {
    if (found.type() == pugi::node_element) return new CXmlElement(store_, found);
  }
  throw CLiteXmlException("no child element \"" + name + "\"");
}

void CXmlElement::replace_child(IXmlElement* old_child, IXmlElement* new_child) {
  pugi::xml_node old_node = child_of(old_child);
  pugi::xml_node new_node = node_of(new_child);
  if (new_node == old_node) return;
  if (CXmlStore::within(node_, new_node))
    throw CLiteXmlException("an element cannot be put into itself");
  drop_leading_blank(new_node);
  store_->place(new_node, node_, old_node);
  store_->remove(old_node);
}

void CXmlElement::append_child(IXmlElement* element) {
  pugi::xml_node self = node();
  pugi::xml_node added = node_of(element);
  if (CXmlStore::within(self, added))
    throw CLiteXmlException("an element cannot be put into itself");
  std::string indentation;
  pugi::xml_node closing =
      added.parent() == self ? pugi::xml_node() : line_for_child(self, indentation);
  if (!closing) {
    store_->place(added, self, pugi::xml_node());
    return;
  }
  drop_leading_blank(added);
  pugi::xml_node placed = store_->place(added, self, closing);
  self.insert_child_before(pugi::node_pcdata, placed).set_value(indentation.c_str());
}

void CXmlElement::remove_child(IXmlElement* element) {
  pugi::xml_node removed = child_of(element);
  drop_leading_blank(removed);
  store_->remove(removed);
}

IXmlElement* CXmlElement::parent() {
  pugi::xml_node above = node().parent();
  if (above.type() != pugi::node_element) throw CLiteXmlException("the element has no parent");
  return new CXmlElement(store_, above);
}

IXmlElement* CXmlElement::select_node(const std::string& xpath) {
  std::vector<pugi::xml_node> found = select_elements(node(), xpath);
  return found.empty() ? nullptr : new CXmlElement(store_, found.front());
}

IXmlNodeList* CXmlElement::select_nodes(const std::string& xpath) {
  return new CXmlNodeList(store_, select_elements(node(), xpath));
}

void CXmlElement::release() { delete this; }
