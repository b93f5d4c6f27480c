#include "platform/litexml/CXmlDocument.h"

#include <climits>
#include <new>
#include <vector>

#include "platform/litexml/CXmlElement.h"
#include "platform/litexml/CXmlFile.h"

namespace {

// Everything is kept, the layout between elements and the line ends
// included; line breaks and tabs written in attribute values read as blanks,
// as XML wants. No encoding conversion: texts keep their bytes whatever the
// declaration names.
const unsigned kParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_comments |
                             pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype |
                             pugi::parse_ws_pcdata | pugi::parse_wconv_attribute;
const unsigned kFormatFlags = pugi::format_raw | pugi::format_no_declaration;
const pugi::xml_encoding kBytesAsTheyAre = pugi::encoding_utf8;
const char kByteOrderMark[] = "\xEF\xBB\xBF";

class CStringWriter : public pugi::xml_writer {
 public:
  explicit CStringWriter(std::string& out) : out_(out) {}
  void write(const void* data, std::size_t size) override {
    out_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& out_;
};

// True when the start tag whose name begins at `offset` ends with "/>".
bool self_closing(const std::string& text, std::size_t offset) {
  char quote = 0;
  for (std::size_t i = offset; i < text.size(); ++i) {
    char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return text[i - 1] == '/';
    }
  }
  return true;
}

// Empty elements are written as <x/>. One loaded as <x></x> gets an empty
// text child, so that it is written back as it was. `text` is what was
// parsed, without the byte order mark.
void keep_empty_pairs(pugi::xml_node top, const std::string& text) {
  std::vector<pugi::xml_node> pairs;
  pugi::xml_node node = top;
  for (;;) {
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    if (node.type() == pugi::node_element && node.offset_debug() >= 0 &&
        !self_closing(text, static_cast<std::size_t>(node.offset_debug()))) {
      pairs.push_back(node);
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    if (node == top) break;
    node = node.next_sibling();
  }
  for (pugi::xml_node pair : pairs) pair.append_child(pugi::node_pcdata);
}

}  // namespace

IXmlDocument* newXmlDocument() { return new (std::nothrow) CXmlDocument(); }

CXmlDocument::CXmlDocument() : store_(std::make_shared<CXmlStore>()) {}

CXmlDocument::~CXmlDocument() {}

bool CXmlDocument::load(const std::string& path) {
  store_->forget_tree();
  store_->tree().reset();
  store_->set_bom(false);
  store_->set_crlf(false);
  std::string content;
  if (!CXmlFile::read(path, kMaxFileBytes, content)) return false;
  bool bom = content.compare(0, sizeof kByteOrderMark - 1, kByteOrderMark) == 0;
  if (bom) content.erase(0, sizeof kByteOrderMark - 1);
  pugi::xml_parse_result parsed =
      store_->tree().load_buffer(content.data(), content.size(), kParseFlags, kBytesAsTheyAre);
  if (!parsed || !store_->tree().document_element()) {
    store_->tree().reset();
    return false;
  }
  keep_empty_pairs(store_->tree(), content);
  store_->set_bom(bom);
  std::string::size_type first_break = content.find('\n');
  store_->set_crlf(first_break != std::string::npos && first_break > 0 &&
                   content[first_break - 1] == '\r');
  return true;
}

IXmlElement* CXmlDocument::root() {
  pugi::xml_node top = store_->tree().document_element();
  if (!top) throw CLiteXmlException("no document loaded");
  return new CXmlElement(store_, top);
}

IXmlElement* CXmlDocument::create_element(const std::string& name) {
  if (!CXmlElement::valid_name(name))
    throw CLiteXmlException("invalid element name \"" + name + "\"");
  pugi::xml_node made = store_->pool().append_child(pugi::node_element);
  if (!made || !made.set_name(name.c_str())) throw CLiteXmlException("out of memory");
  return new CXmlElement(store_, made);
}

std::string CXmlDocument::serialize() const {
  std::string out;
  if (!store_->tree().document_element()) return out;
  if (store_->bom()) out = kByteOrderMark;
  CStringWriter writer(out);
  for (pugi::xml_node top : store_->tree().children()) {
    top.print(writer, "", kFormatFlags, kBytesAsTheyAre, 0);
    out += store_->line_end();
  }
  return out;
}

int CXmlDocument::save(const std::string& path) {
  std::string out = serialize();
  if (out.empty() || out.size() > static_cast<std::size_t>(INT_MAX)) return -1;
  if (!CXmlFile::replace(path, out)) return -1;
  return static_cast<int>(out.size());
}

void CXmlDocument::release() { delete this; }
