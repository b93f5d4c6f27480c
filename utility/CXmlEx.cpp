#include "utility/CXmlEx.h"

#include <exception>

#include "platform/litexml/litexml.h"

namespace utility {

namespace {

// What a write does to the selected element.
using Change = void (*)(IXmlElement& element, const std::string& name, const std::string& value);

void change_text(IXmlElement& element, const std::string&, const std::string& text) {
  element.set_text(text);
}

void change_attribute(IXmlElement& element, const std::string& name, const std::string& value) {
  element.set_attribute(name, value);
}

// Reads the element's text (null `name`) or attribute `*name` into `out`.
bool read_value(const std::string& file, const std::string& xpath, const std::string* name,
                std::string& out) {
  try {
    XmlPtr<IXmlDocument> doc(newXmlDocument());
    if (!doc || !doc->load(file)) return false;
    XmlPtr<IXmlElement> root(doc->root());
    XmlPtr<IXmlElement> node(root->select_node(xpath));
    if (!node) return false;
    out = name == nullptr ? node->text() : node->attribute(*name);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool write_value(const std::string& file, const std::string& xpath, Change change,
                 const std::string& name, const std::string& value) {
  try {
    XmlPtr<IXmlDocument> doc(newXmlDocument());
    if (!doc || !doc->load(file)) return false;
    XmlPtr<IXmlElement> root(doc->root());
    XmlPtr<IXmlElement> node(root->select_node(xpath));
    if (!node) return false;
    change(*node, name, value);
    return doc->save(file) > 0;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool CXmlEx::read_xml_node(const std::string& file, const std::string& xpath, std::string& text) {
  return read_value(file, xpath, nullptr, text);
}

bool CXmlEx::read_xml_attribute(const std::string& file, const std::string& xpath,
                                const std::string& name, std::string& value) {
  return read_value(file, xpath, &name, value);
}

bool CXmlEx::write_xml_node(const std::string& file, const std::string& xpath,
                            const std::string& text) {
  return write_value(file, xpath, change_text, std::string(), text);
}

bool CXmlEx::write_xml_attribute(const std::string& file, const std::string& xpath,
                                 const std::string& name, const std::string& value) {
  return write_value(file, xpath, change_attribute, name, value);
}

bool CXmlEx::add_xml_xpath_node(const std::string& file, const std::string& xpath) {
  try {
    XmlPtr<IXmlDocument> doc(newXmlDocument());
    if (!doc) return false;
    if (!doc->load(file)) return true;
    XmlPtr<IXmlElement> root(doc->root());
    XmlPtr<IXmlElement> existing(root->select_node(xpath));
    if (existing) return true;
    std::string::size_type slash = xpath.rfind('/');
    if (slash == std::string::npos) return false;
    XmlPtr<IXmlElement> added(doc->create_element(xpath.substr(slash + 1)));
    XmlPtr<IXmlElement> parent(root->select_node(xpath.substr(0, slash)));
    if (!parent) return false;
    parent->append_child(added.get());
    doc->save(file);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace utility
