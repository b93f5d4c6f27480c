// Loading and saving: bytes kept, bad files refused, saves that cannot
// complete leave the old file alone.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/litexml/litexml.h"
#include "test_support/TempDir.h"

namespace {

using test_support::TempDir;

const char kGbkConfig[] =
    "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
    "<!-- 网站防护设置 -->\n"
    "<config>\n"
    "  <site name=\"默认站点\" path=\"/var/www/中文\">\n"
    "    <title>欢迎访问</title>\n"
    "    <note><![CDATA[表<1>]]></note>\n"
    "  </site>\n"
    "  <empty/>\n"
    "</config>\n";

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return names;
  while (struct dirent* entry = ::readdir(listing)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

// Writes beyond `bytes` fail from then on, as on a full disk.
void limit_file_size(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = {bytes, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

TEST(CXmlDocumentTest, FixtureTextsAreGbkBytes) {
  ASSERT_EQ(std::string("\xD6\xD0\xCE\xC4"), "中文");
}

// Documents that must come back from a load and a save exactly as written.
TEST(CXmlDocumentTest, SaveGivesBackTheLoadedBytes) {
  const std::string cases[] = {
      kGbkConfig,
      "<config><a>\xD6\xD0</a></config>\n",                       // no declaration
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<a x=\"1\">y</a>\n",  // byte order mark
      "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<a>\r\n  <b>中</b>\r\n</a>\r\n",  // CRLF
      "<a t=\"x&#09;y\">&lt;b&gt; &amp; 表</a>\n",                                   // escapes
  };
  TempDir dir;
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    dir.write("in.xml", text);
    XmlPtr<IXmlDocument> doc(newXmlDocument());
    ASSERT_TRUE(doc->load(dir.file("in.xml")));
    EXPECT_EQ(static_cast<int>(text.size()), doc->save(dir.file("out.xml")));
    EXPECT_EQ(text, dir.read("out.xml"));
  }
}

TEST(CXmlDocumentTest, GbkTextsReadAndWrittenAsBytes) {
  TempDir dir;
  dir.write("c.xml", kGbkConfig);
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  ASSERT_TRUE(doc->load(dir.file("c.xml")));
  XmlPtr<IXmlElement> root(doc->root());
  XmlPtr<IXmlElement> site(root->select_node("//site[@name='默认站点']"));
  ASSERT_TRUE(site);
  EXPECT_EQ("/var/www/中文", site->attribute("path"));
  XmlPtr<IXmlElement> note(site->child("note"));
  EXPECT_EQ("表<1>", note->text());
  XmlPtr<IXmlElement> title(site->child("title"));
  title->set_text("安全\\狗");  // 0x5C as a trail byte
  ASSERT_GT(doc->save(dir.file("c.xml")), 0);
  std::string expected = kGbkConfig;
  expected.replace(expected.find("欢迎访问"), std::string("欢迎访问").size(), "安全\\狗");
  EXPECT_EQ(expected, dir.read("c.xml"));
}

TEST(CXmlDocumentTest, BadFilesDoNotLoad) {
  TempDir dir;
  struct Case {
    const char* name;
    const char* content;  // null: not written
  } cases[] = {
      {"missing.xml", nullptr},
      {"empty.xml", ""},
      {"truncated.xml", "<?xml version=\"1.0\"?>\n<config>\n  <a>1</a>\n  <b>"},
      {"mismatched.xml", "<config><a>1</b></config>"},
      {"no_root.xml", "<?xml version=\"1.0\"?>\n<!-- only a comment -->\n"},
      {"garbage.xml", "\x01\x02\xFF\xFE binary <<<&&&"},
      {"bad_attribute.xml", "<config a=1/>"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    if (row.content != nullptr) dir.write(row.name, row.content);
    XmlPtr<IXmlDocument> doc(newXmlDocument());
    EXPECT_FALSE(doc->load(dir.file(row.name)));
    EXPECT_THROW(XmlPtr<IXmlElement>(doc->root()), CLiteXmlException);
  }
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  EXPECT_FALSE(doc->load(dir.path())) << "a directory";
  ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
  EXPECT_FALSE(doc->load(dir.file("fifo"))) << "a FIFO must not block the load";
}

// A file cut anywhere before its root element closes, as a crash in the
// middle of a write by some other program leaves it.
TEST(CXmlDocumentTest, EveryTruncationIsRefused) {
  TempDir dir;
  std::string full = kGbkConfig;
  std::size_t closed = full.rfind("</config>") + std::string("</config>").size();
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  for (std::size_t length = 0; length < closed; ++length) {
    dir.write("cut.xml", full.substr(0, length));
    EXPECT_FALSE(doc->load(dir.file("cut.xml"))) << full.substr(0, length);
  }
  dir.write("cut.xml", full.substr(0, closed));
  EXPECT_TRUE(doc->load(dir.file("cut.xml")));
}

TEST(CXmlDocumentTest, FileAboveTheLimitIsRefused) {
  TempDir dir;
  dir.write("big.xml", "<a>");
  ASSERT_EQ(0, ::truncate(dir.file("big.xml").c_str(), 64 * 1024 * 1024 + 1));  // sparse
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  EXPECT_FALSE(doc->load(dir.file("big.xml")));
}

TEST(CXmlDocumentTest, FailedLoadEmptiesTheDocument) {
  TempDir dir;
  dir.write("good.xml", "<a><b/></a>");
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  ASSERT_TRUE(doc->load(dir.file("good.xml")));
  XmlPtr<IXmlElement> root(doc->root());
  XmlPtr<IXmlElement> b(root->select_node("b"));
  EXPECT_FALSE(doc->load(dir.file("missing.xml")));
  EXPECT_THROW(b->text(), CLiteXmlException) << "handle on the old content";
  EXPECT_EQ(-1, doc->save(dir.file("good.xml")));
  EXPECT_EQ("<a><b/></a>", dir.read("good.xml"));
}

TEST(CXmlDocumentTest, SaveThatCannotStartLeavesNoTrace) {
  TempDir dir;
  dir.write("c.xml", kGbkConfig);
  dir.write("plain_file", "x");
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  ASSERT_TRUE(doc->load(dir.file("c.xml")));
  EXPECT_EQ(-1, doc->save(dir.file("plain_file/c.xml"))) << "parent is a file";
  EXPECT_EQ(-1, doc->save(dir.file("no_dir/c.xml")));
  EXPECT_EQ(-1, doc->save(dir.path())) << "a directory as the target";
  EXPECT_EQ(2u, names_in(dir.path()).size());
  EXPECT_EQ("x", dir.read("plain_file"));
}

// A disk that fills up during the write: the old file stays whole.
TEST(CXmlDocumentTest, SaveThatCannotCompleteKeepsTheOldFile) {
  TempDir dir;
  std::string big = "<config>" + std::string(100000, ' ') + "</config>\n";
  dir.write("big.xml", big);
  dir.write("c.xml", kGbkConfig);
  EXPECT_EXIT(
      {
        XmlPtr<IXmlDocument> doc(newXmlDocument());
        if (!doc->load(dir.file("big.xml"))) ::_exit(2);
        limit_file_size(4096);
        ::_exit(doc->save(dir.file("c.xml")) == -1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(kGbkConfig, dir.read("c.xml"));
  EXPECT_EQ(2u, names_in(dir.path()).size()) << "the temporary file is gone";
}

TEST(CXmlDocumentTest, SaveKeepsTheFileMode) {
  TempDir dir;
  dir.write("c.xml", kGbkConfig);
  ASSERT_EQ(0, ::chmod(dir.file("c.xml").c_str(), 0640));
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  ASSERT_TRUE(doc->load(dir.file("c.xml")));
  ASSERT_GT(doc->save(dir.file("c.xml")), 0);
  struct stat info;
  ASSERT_EQ(0, ::stat(dir.file("c.xml").c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 07777);
}

TEST(CXmlDocumentTest, HandlesOutliveTheDocument) {
  TempDir dir;
  dir.write("c.xml", kGbkConfig);
  IXmlDocument* doc = newXmlDocument();
  ASSERT_TRUE(doc->load(dir.file("c.xml")));
  IXmlElement* root = doc->root();
  IXmlNodeList* sites = root->select_nodes("site");
  doc->release();
  EXPECT_EQ(1, sites->count());
  XmlPtr<IXmlElement> site(sites->item(0));
  EXPECT_EQ("默认站点", site->attribute("name"));
  sites->release();
  root->release();
}

}  // namespace
