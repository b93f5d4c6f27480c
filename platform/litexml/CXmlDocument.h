// The document behind newXmlDocument(): loads a file into its store, hands
// out handles, saves through CXmlFile. Frees itself in release(); its store
// lives on while handles obtained from it do. Not thread-safe.
#ifndef PLATFORM_LITEXML_CXMLDOCUMENT_H_
#define PLATFORM_LITEXML_CXMLDOCUMENT_H_

#include <cstddef>
#include <memory>
#include <string>

#include "platform/litexml/CXmlStore.h"
#include "platform/litexml/litexml.h"

class CXmlDocument : public IXmlDocument {
 public:
  // Files above this size are refused by load.
  static constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

  CXmlDocument();
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  bool load(const std::string& path) override;
  IXmlElement* root() override;
  IXmlElement* create_element(const std::string& name) override;
  int save(const std::string& path) override;
  void release() override;

 private:
  ~CXmlDocument() override;

  // The text save writes: each top-level node (declaration, comments, root)
  // on a line of its own, ended as the loaded file's first line, the rest as
  // loaded. Empty when nothing is loaded.
  std::string serialize() const;

  std::shared_ptr<CXmlStore> store_;
};

#endif  // PLATFORM_LITEXML_CXMLDOCUMENT_H_
