// A handle on one element of a CXmlStore, handed out by the document, by
// other handles and by node lists; frees itself in release(). The handle
// follows its element when the element is placed into the loaded tree and
// becomes empty (every operation throws) when the element leaves the
// document. Not thread-safe (one user of the document at a time).
#ifndef PLATFORM_LITEXML_CXMLELEMENT_H_
#define PLATFORM_LITEXML_CXMLELEMENT_H_

#include <memory>
#include <pugixml.hpp>
#include <string>

#include "platform/litexml/CXmlStore.h"
#include "platform/litexml/litexml.h"

class CXmlElement : public IXmlElement {
 public:
  CXmlElement(std::shared_ptr<CXmlStore> store, pugi::xml_node node);
  CXmlElement(const CXmlElement&) = delete;
  CXmlElement& operator=(const CXmlElement&) = delete;

  // True for a name an element or attribute may carry: a letter, "_", ":"
  // or a byte above 0x7F first, then also digits, "-" and ".".
  static bool valid_name(const std::string& name);

  std::string text() override;
  void set_text(const std::string& text) override;
  std::string attribute(const std::string& name) override;
  void set_attribute(const std::string& name, const std::string& value) override;
  IXmlElement* child(const std::string& name) override;
  void replace_child(IXmlElement* old_child, IXmlElement* new_child) override;
  void append_child(IXmlElement* element) override;
  void remove_child(IXmlElement* element) override;
  IXmlElement* parent() override;
  IXmlElement* select_node(const std::string& xpath) override;
  IXmlNodeList* select_nodes(const std::string& xpath) override;
  void release() override;

 private:
  ~CXmlElement() override;

  // The element; throws when it has left the document.
  pugi::xml_node node() const;
  // The element behind another handle of the same document; throws for null,
  // a foreign handle or an element that has left the document.
  pugi::xml_node node_of(IXmlElement* element) const;
  // The child of node() behind `element`; throws when it is not one.
  pugi::xml_node child_of(IXmlElement* element) const;

  std::shared_ptr<CXmlStore> store_;
  pugi::xml_node node_;  // registered with store_ while this handle lives
};

#endif  // PLATFORM_LITEXML_CXMLELEMENT_H_
