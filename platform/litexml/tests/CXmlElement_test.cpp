// Selecting and changing elements: XPath on real-world layouts, the layout
// kept around changes, handles that follow or lose their element.
#include <gtest/gtest.h>

#include <string>

#include "platform/litexml/litexml.h"
#include "test_support/TempDir.h"

namespace {

using test_support::TempDir;

// The head of a servlet container's server and application descriptors.
const char kServerXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Server port=\"8005\" shutdown=\"SHUTDOWN\">\n"
    "  <Service name=\"Catalina\">\n"
    "    <Connector port=\"8080\" protocol=\"HTTP/1.1\" connectionTimeout=\"20000\"/>\n"
    "    <Connector port=\"8009\" protocol=\"AJP/1.3\"/>\n"
    "    <Connector port=\"8443\" protocol=\"HTTP/1.1\" SSLEnabled=\"true\"/>\n"
    "  </Service>\n"
    "</Server>\n";
const char kWebXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<web-app xmlns=\"https://jakarta.ee/xml/ns/jakartaee\"\n"
    "  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
    "  xsi:schemaLocation=\"https://jakarta.ee/xml/ns/jakartaee\n"
    "                      https://jakarta.ee/xml/ns/jakartaee/web-app_6_0.xsd\"\n"
    "  version=\"6.0\">\n"
    "  <filter>\n"
    "    <filter-name>setCharacterEncodingFilter</filter-name>\n"
    "    <filter-class>org.example.SetCharacterEncodingFilter</filter-class>\n"
    "  </filter>\n"
    "  <j:filter xmlns:j=\"https://jakarta.ee/xml/ns/jakartaee\">\n"
    "    <j:filter-name>prefixed</j:filter-name>\n"
    "  </j:filter>\n"
    "  <welcome-file-list><welcome-file>首页.html</welcome-file></welcome-file-list>\n"
    "</web-app>\n";

class CXmlElementTest : public ::testing::Test {
 protected:
  // Loads `text` as the document; root_ is its root element.
  void load(const std::string& text) {
    dir_.write("doc.xml", text);
    root_.reset();
    ASSERT_TRUE(doc_->load(dir_.file("doc.xml")));
    root_.reset(doc_->root());
  }
  std::string saved() {
    EXPECT_GT(doc_->save(dir_.file("doc.xml")), 0);
    return dir_.read("doc.xml");
  }

  TempDir dir_;
  XmlPtr<IXmlDocument> doc_{newXmlDocument()};
  XmlPtr<IXmlElement> root_;
};

TEST_F(CXmlElementTest, XPathSelectsElementsInDocumentOrder) {
  struct Row {
    const char* document;
    const char* xpath;
    int count;
    const char* first;  // "port" attribute or text of the first match
  } rows[] = {
      {kServerXml, "//Connector[@protocol='HTTP/1.1']", 2, "8080"},
      {kServerXml, "//Connector[@protocol='HTTP/1.1'][@SSLEnabled='true']", 1, "8443"},
      {kServerXml, "/Server/Service/Connector[last()]", 1, "8443"},
      {kServerXml, "Service/Connector", 3, "8080"},
      {kServerXml, "//Connector[@protocol='HTTP/2']", 0, ""},
      {kServerXml, "//Connector/@port", 0, ""},  // attributes are not elements
      {kWebXml,
       "//*[local-name()='web-app']/*[local-name()='filter']/*[local-name()='filter-name']", 2,
       "setCharacterEncodingFilter"},
      {kWebXml, "//*[local-name()='filter-name'][.='prefixed']", 1, "prefixed"},
      {kWebXml, "//welcome-file[.='首页.html']", 1, "首页.html"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.xpath);
    load(row.document);
    XmlPtr<IXmlNodeList> all(root_->select_nodes(row.xpath));
    EXPECT_EQ(row.count, all->count());
    XmlPtr<IXmlElement> first(root_->select_node(row.xpath));
    ASSERT_EQ(row.count > 0, first != nullptr);
    if (!first) continue;
    std::string value = first->attribute("port").empty() ? first->text() : first->attribute("port");
    EXPECT_EQ(row.first, value);
    XmlPtr<IXmlElement> item(all->item(0));
    EXPECT_EQ(first->text(), item->text());
  }
}

TEST_F(CXmlElementTest, MisuseThrows) {
  load(kServerXml);
  XmlPtr<IXmlElement> service(root_->child("Service"));
  XmlPtr<IXmlNodeList> none(root_->select_nodes("//nothing"));
  XmlPtr<IXmlElement> made(doc_->create_element("made"));
  const char* bad_xpaths[] = {"//Connector[", "", "count(//Connector)", "//a|||b"};
  for (const char* xpath : bad_xpaths) {
    SCOPED_TRACE(xpath);
    EXPECT_THROW(XmlPtr<IXmlElement>(root_->select_node(xpath)), CLiteXmlException);
    EXPECT_THROW(XmlPtr<IXmlNodeList>(root_->select_nodes(xpath)), CLiteXmlException);
  }
  const char* bad_names[] = {"", "1abc", "a b", "var[@name='x']", "a/b", "<a>"};
  for (const char* name : bad_names) {
    SCOPED_TRACE(name);
    EXPECT_THROW(XmlPtr<IXmlElement>(doc_->create_element(name)), CLiteXmlException);
    EXPECT_THROW(service->set_attribute(name, "v"), CLiteXmlException);
  }
  EXPECT_THROW(XmlPtr<IXmlElement>(root_->child("Connector")), CLiteXmlException) << "grandchild";
  EXPECT_THROW(XmlPtr<IXmlElement>(root_->parent()), CLiteXmlException);
  EXPECT_THROW(XmlPtr<IXmlElement>(made->parent()), CLiteXmlException);
  EXPECT_THROW(XmlPtr<IXmlElement>(none->item(0)), CLiteXmlException);
  EXPECT_THROW(root_->remove_child(made.get()), CLiteXmlException) << "not a child";
  EXPECT_THROW(root_->append_child(nullptr), CLiteXmlException);
  EXPECT_THROW(service->append_child(root_.get()), CLiteXmlException) << "into itself";
  EXPECT_EQ(kServerXml, saved()) << "nothing changed by the refused calls";
}

TEST_F(CXmlElementTest, AppendKeepsOneChildPerLine) {
  load("<?xml version=\"1.0\"?>\n<config>\n  <a>1</a>\n  <c></c>\n</config>\n");
  XmlPtr<IXmlElement> made(doc_->create_element("nginx_path"));
  root_->append_child(made.get());
  made->set_text("/usr/local/nginx");  // the handle follows the placed element
  XmlPtr<IXmlElement> empty_one(doc_->create_element("b"));
  XmlPtr<IXmlElement> inner(root_->child("a"));
  inner->append_child(empty_one.get());  // no layout to follow
  XmlPtr<IXmlElement> pair(root_->child("c"));
  XmlPtr<IXmlElement> d(doc_->create_element("d"));
  pair->append_child(d.get());
  EXPECT_EQ(
      "<?xml version=\"1.0\"?>\n<config>\n  <a>1<b/></a>\n  <c>\n    <d/>\n  </c>\n"
      "  <nginx_path>/usr/local/nginx</nginx_path>\n</config>\n",
      saved());
}

// The site list rewritten as the web server service does it: the old list
// removed, a new one appended, then its entries.
TEST_F(CXmlElementTest, AppendLaysOutEmptiedAndEmptyParents) {
  load("<?xml version=\"1.0\"?>\r\n<webscan>\r\n  <scan_path/>\r\n</webscan>\r\n");
  XmlPtr<IXmlElement> old_list(root_->select_node("//scan_path"));
  root_->remove_child(old_list.get());
  XmlPtr<IXmlElement> list(doc_->create_element("scan_path"));
  root_->append_child(list.get());
  const char* dirs[] = {"/var/www/站点", "/srv/web"};
  for (const char* dir : dirs) {
    XmlPtr<IXmlElement> path(doc_->create_element("path"));
    path->set_attribute("name", dir);
    path->set_attribute("type", "1");
    list->append_child(path.get());
  }
  EXPECT_EQ(
      "<?xml version=\"1.0\"?>\r\n<webscan>\r\n  <scan_path>\r\n"
      "    <path name=\"/var/www/站点\" type=\"1\"/>\r\n"
      "    <path name=\"/srv/web\" type=\"1\"/>\r\n"
      "  </scan_path>\r\n</webscan>\r\n",
      saved());
}

// A section built apart, then put in place of the old one, as the
// monitoring settings are written.
TEST_F(CXmlElementTest, ReplaceChildPutsABuiltSectionInPlace) {
  load("<resources>\n  <cpu><power>0</power></cpu>\n  <mem/>\n</resources>\n");
  XmlPtr<IXmlElement> cpu(doc_->create_element("cpu"));
  XmlPtr<IXmlElement> power(doc_->create_element("power"));
  cpu->append_child(power.get());
  power->set_text("1");
  XmlPtr<IXmlElement> old_cpu(root_->select_node("//resources/cpu"));
  XmlPtr<IXmlElement> old_power(old_cpu->child("power"));
  root_->replace_child(old_cpu.get(), cpu.get());
  EXPECT_THROW(old_power->text(), CLiteXmlException) << "left the document";
  power->set_text("2");  // still a handle on the placed copy
  EXPECT_EQ("<resources>\n  <cpu><power>2</power></cpu>\n  <mem/>\n</resources>\n", saved());
}

// Entries removed through their child's parent, as a filter is taken out of
// an application descriptor; the lines around them close up.
TEST_F(CXmlElementTest, RemoveChildTakesItsLineAway) {
  load(kWebXml);
  XmlPtr<IXmlNodeList> names(root_->select_nodes("//*[local-name()='filter-name']"));
  ASSERT_EQ(2, names->count());
  for (int i = 0; i < names->count(); ++i) {
    XmlPtr<IXmlElement> name(names->item(i));
    XmlPtr<IXmlElement> filter(name->parent());
    root_->remove_child(filter.get());
    EXPECT_THROW(name->text(), CLiteXmlException);
  }
  // The root's attributes end up on one line, with the line break inside
  // schemaLocation read as the blank it stands for.
  std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<web-app xmlns=\"https://jakarta.ee/xml/ns/jakartaee\""
      " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
      " xsi:schemaLocation=\"https://jakarta.ee/xml/ns/jakartaee "
      "                      https://jakarta.ee/xml/ns/jakartaee/web-app_6_0.xsd\""
      " version=\"6.0\">\n"
      "  <welcome-file-list><welcome-file>首页.html</welcome-file></welcome-file-list>\n"
      "</web-app>\n";
  EXPECT_EQ(expected, saved());
}

TEST_F(CXmlElementTest, MoveWithinTheDocument) {
  load("<a>\n  <b><c>x</c></b>\n  <d/>\n</a>\n");
  XmlPtr<IXmlElement> c(root_->select_node("//c"));
  XmlPtr<IXmlElement> d(root_->child("d"));
  d->append_child(c.get());
  c->set_attribute("k", "表");
  EXPECT_EQ("<a>\n  <b/>\n  <d>\n    <c k=\"表\">x</c>\n  </d>\n</a>\n", saved());
}

TEST_F(CXmlElementTest, TextsAndAttributes) {
  load("<a n=\"1\">one<![CDATA[<two>]]><b/>three</a>");
  EXPECT_EQ("one<two>three", root_->text());
  EXPECT_EQ("", root_->attribute("missing"));
  root_->set_attribute("n", "2");
  root_->set_attribute("m", "&\"<");
  XmlPtr<IXmlElement> b(root_->child("b"));
  b->set_text("x&y");
  b->set_text("");
  EXPECT_EQ("", b->text());
  EXPECT_EQ("<a n=\"2\" m=\"&amp;&quot;&lt;\">one<![CDATA[<two>]]><b></b>three</a>\n", saved());
}

}  // namespace
