// One value of an XML file read or changed in a single call. The value is
// the text or an attribute of the first element an XPath selects. Each call
// opens the file, does its one job, saves when it changed something and
// frees everything; no document stays open between calls.
//
// All functions are static and keep no state; calls on different files are
// safe from several threads. Failures are reported only by the result.
#ifndef UTILITY_CXMLEX_H_
#define UTILITY_CXMLEX_H_

#include <string>

namespace utility {

class CXmlEx {
 public:
  CXmlEx() = delete;

  // Copies the text of the first element `xpath` selects into `text`. False,
  // with `text` unchanged, when the file does not load, nothing is selected
  // or the XML library fails.
  static bool read_xml_node(const std::string& file, const std::string& xpath, std::string& text);
  // Copies attribute `name` of that element into `value` ("" when the
  // element lacks it). False, with `value` unchanged, as read_xml_node.
  static bool read_xml_attribute(const std::string& file, const std::string& xpath,
                                 const std::string& name, std::string& value);

  // Replaces the element's text and saves the file, also when the text was
  // already the same. False when the file does not load, nothing is
  // selected (the file is then not rewritten) or the save is not complete.
  static bool write_xml_node(const std::string& file, const std::string& xpath,
                             const std::string& text);
  // Sets the element's attribute and saves, as write_xml_node.
  static bool write_xml_attribute(const std::string& file, const std::string& xpath,
                                  const std::string& name, const std::string& value);

  // Makes sure `xpath` selects an element: when it does not, an empty
  // element named by the part after the last "/" is appended to the first
  // element the part before it selects, and the file is saved. Only one
  // level is added. True when the file does not load, when the element is
  // there already and after an append (whatever the save gave); false when
  // the parent path selects no element (nothing is added) or the XML
  // library fails (for instance when the last step is not a plain name).
  static bool add_xml_xpath_node(const std::string& file, const std::string& xpath);
};

}  // namespace utility

#endif  // UTILITY_CXMLEX_H_
