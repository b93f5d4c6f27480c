// The host's command line and its reader of ELF dynamic symbol tables.
#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "host/CElfSymbols.h"
#include "host/COptions.h"
#include "test_support/test_paths.h"

namespace {

using host::COptions;

COptions::Outcome parse(COptions& options, std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "agent_host");
  return options.parse(static_cast<int>(arguments.size()), arguments.data());
}

TEST(OptionsTest, ValidCommandLines) {
  char cwd[PATH_MAX];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  struct Case {
    std::vector<const char*> arguments;
    std::string install, socket;
    std::vector<std::string> plugins;
    unsigned threads;
    bool has_mask;
    unsigned mask;
  };
  const Case cases[] = {
      {{"--install-dir", "/opt/a"}, "/opt/a", "/opt/a/tmp/agent.sock", {}, 4, false, 0},
      {{"--install-dir=/opt/a/", "--socket", "/run/x.sock", "--threads", "8", "--log-mask", "0x9",
        "--plugins", "ip_blacklist,libcloud_center_linux.so,ip_blacklist"},
       "/opt/a/",
       "/run/x.sock",
       {"libip_blacklist_linux.so", "libcloud_center_linux.so"},
       8,
       true,
       9},
      {{"--install-dir", "rel", "--log-mask=0"},
       std::string(cwd) + "/rel",
       std::string(cwd) + "/rel/tmp/agent.sock",
       {},
       4,
       true,
       0},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.install);
    COptions options;
    ASSERT_EQ(parse(options, row.arguments), COptions::kRun) << options.error();
    EXPECT_EQ(options.install_dir(), row.install);
    EXPECT_EQ(options.socket_path(), row.socket);
    EXPECT_EQ(options.plugins(), row.plugins);
    EXPECT_EQ(options.threads(), row.threads);
    EXPECT_EQ(options.has_log_mask(), row.has_mask);
    if (row.has_mask) {
      EXPECT_EQ(options.log_mask(), row.mask);
    }
    // The test runs from the build's bin/, so lib/ beside it is the build's.
    EXPECT_EQ(options.plugin_dir(), AGENT_LIB_DIR);
  }
  COptions help;
  EXPECT_EQ(parse(help, {"--install-dir", "/x", "--help"}), COptions::kHelp);
}

TEST(OptionsTest, BadCommandLinesAreRefused) {
  const std::vector<const char*> cases[] = {
      {"--install-dir", "/x", "--threads", "0"},   {"--install-dir", "/x", "--threads", "257"},
      {"--install-dir", "/x", "--threads", "4x"},  {"--install-dir", "/x", "--threads", "-1"},
      {"--install-dir", "/x", "--log-mask", "x"},  {"--install-dir", "/x", "--plugins", "a,,b"},
      {"--install-dir", "/x", "--plugins", "../evil"}, {"--install-dir", "/x", "--socket"},
      {"--install-dir", "/x", "--what", "1"},      {"--install-dir", ""},
      {"stray"},
  };
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    COptions options;
    EXPECT_EQ(parse(options, arguments), COptions::kError);
    EXPECT_FALSE(options.error().empty());
  }
}

// A small shared library image: a dynamic symbol table of six symbols of
// which two are defined global functions, its string table, and the
// section headers (null, .dynsym, .dynstr). Damage() spoils one part.
enum Damage {
  kNone,
  kTruncatedHeader,
  kSectionsOutside,
  kTooManySections,
  kBadStringLink,
  kNameOutside,
  kUnterminatedName,
  kSmallSymbolEntry,
  kSymbolsOutside,
};

template <class Ehdr, class Shdr, class Sym, unsigned char kClass>
struct ElfImage {
  static std::string build(Damage damage) {
    static const char kNames[] = "\0rpc_ireal_IA\0helper\0missing\0a_table\0cloud_center_reg";
    const std::string strings(kNames, sizeof kNames);  // the last name ends the table
    auto name = [&strings](const char* text) {
      return static_cast<std::uint32_t>(strings.find(text));
    };
    auto symbol = [](std::uint32_t name_index, unsigned bind, unsigned type, unsigned section) {
      Sym s;
      std::memset(&s, 0, sizeof s);
      s.st_name = name_index;
      s.st_info = static_cast<unsigned char>((bind << 4) | type);
      s.st_shndx = static_cast<std::uint16_t>(section);
      return s;
    };
    std::vector<Sym> symbols = {
        symbol(0, 0, 0, SHN_UNDEF),
        symbol(name("rpc_ireal_IA"), STB_GLOBAL, STT_FUNC, 1),
        symbol(name("helper"), STB_LOCAL, STT_FUNC, 1),
        symbol(name("missing"), STB_GLOBAL, STT_FUNC, SHN_UNDEF),
        symbol(name("a_table"), STB_GLOBAL, STT_OBJECT, 1),
        symbol(name("cloud_center_reg"), STB_GLOBAL, STT_FUNC, 1),
    };
    std::string strtab = strings;
    if (damage == kNameOutside) symbols[1].st_name = static_cast<std::uint32_t>(strtab.size());
    if (damage == kUnterminatedName) strtab.erase(strtab.size() - 1);

    const std::size_t strtab_at = sizeof(Ehdr);
    const std::size_t symtab_at = strtab_at + strtab.size();
    const std::size_t shdr_at = symtab_at + symbols.size() * sizeof(Sym);
    Shdr sections[3];
    std::memset(sections, 0, sizeof sections);
    sections[1].sh_type = SHT_DYNSYM;
    sections[1].sh_offset = symtab_at;
    sections[1].sh_size = symbols.size() * sizeof(Sym);
    sections[1].sh_entsize = damage == kSmallSymbolEntry ? sizeof(Sym) - 1 : sizeof(Sym);
    sections[1].sh_link = damage == kBadStringLink ? 9 : 2;
    if (damage == kSymbolsOutside) sections[1].sh_size = 1u << 20;
    sections[2].sh_type = SHT_STRTAB;
    sections[2].sh_offset = strtab_at;
    sections[2].sh_size = strtab.size();

    Ehdr header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = kClass;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_DYN;
    header.e_shoff = damage == kSectionsOutside ? shdr_at + 4096 : shdr_at;
    header.e_shentsize = sizeof(Shdr);
    header.e_shnum = damage == kTooManySections ? 0xFFFF : 3;

    std::string image(reinterpret_cast<const char*>(&header), sizeof header);
    image += strtab;
    image.append(reinterpret_cast<const char*>(symbols.data()), symbols.size() * sizeof(Sym));
    image.append(reinterpret_cast<const char*>(sections), sizeof sections);
    if (damage == kTruncatedHeader) image.resize(sizeof header / 2);
    return image;
  }
};

typedef ElfImage<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym, ELFCLASS32> Elf32Image;
typedef ElfImage<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym, ELFCLASS64> Elf64Image;

template <class Image>
class ElfSymbolsTest : public ::testing::Test {};
typedef ::testing::Types<Elf32Image, Elf64Image> ImageKinds;
TYPED_TEST_SUITE(ElfSymbolsTest, ImageKinds);

bool parse_image(const std::string& image, std::vector<std::string>& names, std::string& error) {
  return host::CElfSymbols::parse(reinterpret_cast<const unsigned char*>(image.data()),
                                  image.size(), names, error);
}

TYPED_TEST(ElfSymbolsTest, FindsDefinedGlobalFunctionsOnly) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(parse_image(TypeParam::build(kNone), names, error)) << error;
  EXPECT_EQ(names, (std::vector<std::string>{"rpc_ireal_IA", "cloud_center_reg"}));
}

TYPED_TEST(ElfSymbolsTest, DamagedImagesAreRefused) {
  const Damage cases[] = {kTruncatedHeader, kSectionsOutside, kTooManySections,
                          kBadStringLink,   kNameOutside,     kUnterminatedName,
                          kSmallSymbolEntry, kSymbolsOutside};
  for (Damage damage : cases) {
    SCOPED_TRACE(damage);
    std::vector<std::string> names;
    std::string error;
    EXPECT_FALSE(parse_image(TypeParam::build(damage), names, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ElfFileTest, ReadsABuiltPluginAndRefusesOtherFiles) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(host::CElfSymbols::read(std::string(AGENT_LIB_DIR) + "/libbroken_test_linux.so",
                                      names, error))
      << error;
  EXPECT_NE(std::find(names.begin(), names.end(), "rpc_ireal_IFixture"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "cloud_center_reg"), names.end());

  const std::string others[] = {std::string(AGENT_LIB_DIR) + "/no_such.so", AGENT_LIB_DIR,
                                std::string(AGENT_SOURCE_DIR) + "/CMakeLists.txt"};
  for (const std::string& path : others) {
    SCOPED_TRACE(path);
    names.clear();
    EXPECT_FALSE(host::CElfSymbols::read(path, names, error));
    EXPECT_TRUE(names.empty());
  }
  std::string other_order = Elf64Image::build(kNone);
  other_order[EI_DATA] = ELFDATA2MSB;
  EXPECT_FALSE(parse_image(other_order, names, error));
}

}  // namespace
