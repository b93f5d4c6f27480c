#include "platform/litexml/CXmlNodeList.h"

#include <climits>
#include <utility>

#include "platform/litexml/CXmlElement.h"

CXmlNodeList::CXmlNodeList(std::shared_ptr<CXmlStore> store, std::vector<pugi::xml_node> nodes)
    : store_(std::move(store)), nodes_(std::move(nodes)) {
  for (pugi::xml_node& node : nodes_) store_->attach(&node);
}

CXmlNodeList::~CXmlNodeList() {
  for (pugi::xml_node& node : nodes_) store_->detach(&node);
}

int CXmlNodeList::count() {
  return nodes_.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                           : static_cast<int>(nodes_.size());
}

IXmlElement* CXmlNodeList::item(int index) {
  if (index < 0 || index >= count()) throw CLiteXmlException("node list index out of range");
  pugi::xml_node node = nodes_[static_cast<std::size_t>(index)];
  if (!node) throw CLiteXmlException("the listed element is no longer in the document");
  return new CXmlElement(store_, node);
}

void CXmlNodeList::release() { delete this; }
