#include "console/CSignatureParser.h"

#include <gtest/gtest.h>

namespace console {
namespace {

std::string render(const std::vector<TypeNode>& types) {
  std::string text;
  for (const TypeNode& type : types) text += (text.empty() ? "" : ",") + type.describe();
  return "(" + text + ")";
}

TEST(CSignatureParserTest, ReadsValidSignatures) {
  static const struct {
    const char* text;
    const char* canonical;
  } cases[] = {
      {"()->()", "()->()"},
      {"(u32)->(u32)", "(u32)->(u32)"},
      {"(u64,u64)->(u64)", "(u64,u64)->(u64)"},
      {"(bool,string)->()", "(bool,string)->()"},
      {"(IpScope{start_ip:u32,end_ip:u32,time_out:u32})->()",
       "(IpScope{start_ip:u32,end_ip:u32,time_out:u32})->()"},
      {"(u32,u32)->([TestRecord{id:u32,name:string,size:u64}])",
       "(u32,u32)->([TestRecord{id:u32,name:string,size:u64}])"},
      {"([[u32]])->(A{b:B{c:[string]},d:bool})", "([[u32]])->(A{b:B{c:[string]},d:bool})"},
      {" ( u32 , R { a : u64 } ) -> ( ) ", "(u32,R{a:u64})->()"},
      {"([[[[[[[[u32]]]]]]]])->()", "([[[[[[[[u32]]]]]]]])->()"},
  };
  for (const auto& row : cases) {
    Signature signature;
    std::string error;
    ASSERT_TRUE(CSignatureParser::parse(row.text, signature, error)) << row.text << ": " << error;
    EXPECT_EQ(row.canonical, render(signature.inputs) + "->" + render(signature.outputs))
        << row.text;
  }
}

TEST(CSignatureParserTest, KeepsFieldNamesAndKinds) {
  Signature signature;
  std::string error;
  ASSERT_TRUE(CSignatureParser::parse("()->([Rec{id:u32,name:string}])", signature, error));
  ASSERT_EQ(1u, signature.outputs.size());
  const TypeNode& array = signature.outputs[0];
  ASSERT_EQ(TypeNode::kArray, array.kind);
  const TypeNode& record = array.children.at(0);
  EXPECT_EQ(TypeNode::kRecord, record.kind);
  EXPECT_EQ("Rec", record.name);
  EXPECT_EQ((std::vector<std::string>{"id", "name"}), record.field_names);
  EXPECT_EQ(TypeNode::kString, record.children.at(1).kind);
}

TEST(CSignatureParserTest, RefusesMalformedSignatures) {
  static const char* const errors[] = {
      "",
      "u32",
      "(u32)",
      "(u32)->",
      "(u32)->(u32",
      "(u32)(u32)",
      "(int)->()",
      "(U32)->()",
      "(u32,)->()",
      "(,u32)->()",
      "([])->()",
      "([u32)->()",
      "(R{})->()",
      "(R{a})->()",
      "(R{a:u32,})->()",
      "(R{a:u32,a:u64})->()",
      "(R{1a:u32})->()",
      "(R{a:u32)->()",
      "(u32)->(u32)x",
      "([[[[[[[[[u32]]]]]]]]])->()",
      "(A{a:B{b:C{c:D{d:E{e:F{f:G{g:H{h:I{i:u32}}}}}}}}})->()",
  };
  for (const char* text : errors) {
    Signature signature;
    std::string error;
    EXPECT_FALSE(CSignatureParser::parse(text, signature, error)) << text;
    EXPECT_NE(std::string::npos, error.find("expected")) << text << ": " << error;
  }
}

}  // namespace
}  // namespace console
