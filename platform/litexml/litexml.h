// The XML document library liblitexml_linux: configuration files are read
// and changed through these interfaces.
//
// Texts (element texts, attribute values, names, XPaths) are byte strings
// passed through unchanged, so GBK documents keep their bytes; the XML
// declaration, comments and the layout between elements are kept on save.
// XPaths are XPath 1.0 with predicates and local-name(); names are matched as
// written (a prefix is part of the name), so namespaced documents are
// selected with local-name().
//
// Ownership: newXmlDocument() and every operation returning an element or a
// node list hand out a new object that the caller frees with release(). The
// rule is: release every element and list obtained, then the document. The
// objects share the document's content, so releasing them in another order
// is also safe. Element and list objects are handles: two handles may refer
// to the same element.
//
// Errors throw CLiteXmlException: a malformed XPath or one that does not give
// nodes, an absent child or parent, an invalid name, an element used after
// it was removed from the document or after its document was loaded again.
// Only load (false) and save (not positive) report file failures by result,
// and only select_node reports "nothing found" by a null result.
//
// Thread safety: one document and everything obtained from it are used by
// one thread at a time; different documents are independent.
#ifndef PLATFORM_LITEXML_LITEXML_H_
#define PLATFORM_LITEXML_LITEXML_H_

#include <exception>
#include <memory>
#include <string>

#include "frame/export.h"

class IXmlNodeList;

class AGENT_EXPORT CLiteXmlException : public std::exception {
 public:
  explicit CLiteXmlException(const std::string& message);
  ~CLiteXmlException() override;
  const char* what() const noexcept override;

 private:
  std::string message_;
};

// One element of a document, or an element made by create_element that is
// not placed yet. The order of the operations is part of the contract.
class AGENT_EXPORT IXmlElement {
 public:
  // The element's own text: its text and CDATA children joined ("" for none).
  virtual std::string text() = 0;
  // Replaces the element's text. On an element that has child elements only
  // its first text child is replaced (or one is added last).
  virtual void set_text(const std::string& text) = 0;
  // The attribute's value, "" when the element has no such attribute.
  virtual std::string attribute(const std::string& name) = 0;
  // Sets the attribute, adding it after the others when it is new.
  virtual void set_attribute(const std::string& name, const std::string& value) = 0;
  // The first child element of that name. Throws when there is none.
  virtual IXmlElement* child(const std::string& name) = 0;
  // `new_child` takes the place of `old_child`, a child of this element;
  // `old_child` and everything in it leave the document. `new_child` may be
  // a new element or one moved from elsewhere in the document.
  virtual void replace_child(IXmlElement* old_child, IXmlElement* new_child) = 0;
  // Adds `element` (new, or moved from elsewhere) as the last child. In a
  // document laid out one element per line it gets a line of its own.
  virtual void append_child(IXmlElement* element) = 0;
  // Removes `element`, a child of this element, with everything in it.
  // Handles to the removed elements throw from then on.
  virtual void remove_child(IXmlElement* element) = 0;
  // The element containing this one. Throws for the root and new elements.
  virtual IXmlElement* parent() = 0;
  // The first element selected by `xpath` from this element, in document
  // order, or null when nothing is selected. Selected attributes and texts
  // are skipped.
  virtual IXmlElement* select_node(const std::string& xpath) = 0;
  // Every element selected by `xpath`, in document order (possibly none).
  virtual IXmlNodeList* select_nodes(const std::string& xpath) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IXmlElement() {}
};

// The elements of one select_nodes, fixed when it was made.
class AGENT_EXPORT IXmlNodeList {
 public:
  virtual int count() = 0;
  // A new handle on element `index` (from 0). Throws outside 0..count()-1.
  virtual IXmlElement* item(int index) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IXmlNodeList() {}
};

class AGENT_EXPORT IXmlDocument {
 public:
  // Reads and parses the file, replacing what the document held (handles on
  // the old content throw from then on). False, leaving the document empty,
  // when the file is missing, not a regular file, larger than 64 MiB, not
  // well-formed or without a root element.
  virtual bool load(const std::string& path) = 0;
  // The root element. Throws when nothing is loaded.
  virtual IXmlElement* root() = 0;
  // A new element of that name, placed nowhere until it is appended or
  // replaces another. Throws for a name that is not a valid XML name.
  virtual IXmlElement* create_element(const std::string& name) = 0;
  // Writes the document to `path` through a temporary file beside it that
  // is flushed to disk and renamed over `path`, keeping an existing file's
  // mode and owner. Returns the number of bytes written (positive) once the
  // file is complete; otherwise -1 and `path` is left as it was (also when
  // nothing is loaded).
  virtual int save(const std::string& path) = 0;
  virtual void release() = 0;

 protected:
  virtual ~IXmlDocument() {}
};

// A new, empty document; null only when memory is exhausted.
AGENT_EXPORT IXmlDocument* newXmlDocument();

// Releases an object of this library when the owning pointer goes:
//   XmlPtr<IXmlDocument> doc(newXmlDocument());
struct XmlRelease {
  template <class T>
  void operator()(T* object) const {
    if (object != nullptr) object->release();
  }
};
template <class T>
using XmlPtr = std::unique_ptr<T, XmlRelease>;

#endif  // PLATFORM_LITEXML_LITEXML_H_
