#include "console/COrderedJson.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdint>
#include <memory>
#include <string>

namespace console {
namespace {

using J = COrderedJson;

TEST(COrderedJsonTest, WritesValuesCompactlyWithMembersInInsertionOrder) {
  J nested = J::object();
  nested.add("zeta", J::from_u64(1))
      .add("alpha", J::array().append(J()).append(J::from_bool(false)))
      .add("mid", J::object().add("b", J::from_string("x")).add("a", J::object()));
  static const std::uint64_t kU64Max = 18446744073709551615ull;
  static const struct {
    J value;
    const char* text;
  } cases[] = {
      {J(), "null"},
      {J::from_bool(true), "true"},
      {J::from_u64(0), "0"},
      {J::from_u64(4294967295u), "4294967295"},
      {J::from_u64(kU64Max), "18446744073709551615"},
      {J::from_i64(-1), "-1"},
      {J::from_i64(INT64_MIN), "-9223372036854775808"},
      {J::from_string(""), "\"\""},
      {J::array(), "[]"},
      {J::object(), "{}"},
      {nested, R"({"zeta":1,"alpha":[null,false],"mid":{"b":"x","a":{}}})"},
  };
  for (const auto& row : cases) EXPECT_EQ(row.text, row.value.text()) << row.text;
}

TEST(COrderedJsonTest, EscapesWhatJsonRequiresAndPassesUtf8Through) {
  static const struct {
    std::string raw;
    const char* text;
  } cases[] = {
      {"say \"hi\"", R"("say \"hi\"")"},
      {"C:\\dir\\", R"("C:\\dir\\")"},
      {"a\nb\tc\rd\be\ff", R"("a\nb\tc\rd\be\ff")"},
      {std::string("\x01|\x1F|\0|/", 7), R"("\u0001|\u001f|\u0000|/")"},
      {"\x7F", "\"\x7F\""},
      {"\xE4\xB8\xAD\xE6\x96\x87 \xEF\xBF\xBD", "\"\xE4\xB8\xAD\xE6\x96\x87 \xEF\xBF\xBD\""},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(row.text, J::from_string(row.raw).text()) << row.text;
  }
  EXPECT_EQ(R"({"a\"b":1})", J::object().add("a\"b", J::from_u64(1)).text());
}

TEST(COrderedJsonTest, EveryAsciiCharacterReadsBackUnchanged) {
  std::string all;
  for (int c = 0; c < 0x80; ++c) all += static_cast<char>(c);
  std::string text = J::array().append(J::from_string(all)).text();
  Json::Value parsed;
  Json::CharReaderBuilder builder;
  builder["strictRoot"] = true;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  ASSERT_TRUE(reader->parse(text.data(), text.data() + text.size(), &parsed, &errors)) << errors;
  EXPECT_EQ(all, parsed[0].asString());
}

}  // namespace
}  // namespace console
