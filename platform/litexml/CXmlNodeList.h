// The elements found by one select_nodes. Each entry is registered with the
// store like a handle, so an element that leaves the document makes its
// item() throw instead of handing out a dangling handle. Frees itself in
// release(). Not thread-safe (one user of the document at a time).
#ifndef PLATFORM_LITEXML_CXMLNODELIST_H_
#define PLATFORM_LITEXML_CXMLNODELIST_H_

#include <memory>
#include <pugixml.hpp>
#include <vector>

#include "platform/litexml/CXmlStore.h"
#include "platform/litexml/litexml.h"

class CXmlNodeList : public IXmlNodeList {
 public:
  CXmlNodeList(std::shared_ptr<CXmlStore> store, std::vector<pugi::xml_node> nodes);
  CXmlNodeList(const CXmlNodeList&) = delete;
  CXmlNodeList& operator=(const CXmlNodeList&) = delete;

  int count() override;
  IXmlElement* item(int index) override;
  void release() override;

 private:
  ~CXmlNodeList() override;

  std::shared_ptr<CXmlStore> store_;
  std::vector<pugi::xml_node> nodes_;  // never resized: the store holds pointers into it
};

#endif  // PLATFORM_LITEXML_CXMLNODELIST_H_
