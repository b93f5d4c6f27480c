#include "console/CJsonParams.h"

#include <gtest/gtest.h>

#include "console/CSignatureParser.h"
#include "console/Released.h"
#include "platform/base/CRpcService.h"

namespace console {
namespace {

class CJsonParamsTest : public ::testing::Test {
 protected:
  // The input types of `signature`, which the test expects to be valid.
  static std::vector<TypeNode> types(const std::string& signature) {
    Signature parsed;
    std::string error;
    EXPECT_TRUE(CSignatureParser::parse(signature, parsed, error)) << error;
    return parsed.inputs;
  }

  static Json::Value json(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << text;
    return value;
  }

  // Builds a request from the JSON arguments, sends it through the codec
  // and renders the parsed arguments back as JSON text.
  std::string round_trip(const std::vector<TypeNode>& types, const Json::Value& args) {
    Released<rpc::IRequest> request(factory()->create_request("m"));
    CJsonParams converter(*factory());
    std::string error;
    for (Json::ArrayIndex i = 0; i < args.size(); ++i) {
      EXPECT_TRUE(converter.append(types[i], args[i], *request->params(), "argument", error))
          << error;
    }
    std::string payload(request->size(), '\0');
    EXPECT_EQ(payload.size(), request->serialize(&payload[0], payload.size()));
    Released<rpc::IRequest> parsed(factory()->create_request(""));
    EXPECT_TRUE(parsed->parse(payload.data(), payload.size()));
    return CJsonParams::results_to_json(types, *parsed->params()).text();
  }

  rpc::IRpcFactory* factory() { return service_.factory(); }

  rpc::CRpcService service_;
};

TEST_F(CJsonParamsTest, ArgumentsRoundTripThroughTheCodec) {
  // Written as the console prints them: compact, record fields in the
  // signature's order rather than sorted.
  static const struct {
    const char* signature;
    const char* args;
  } cases[] = {
      {"(u32,u64,bool,bool)->()", "[0,18446744073709551615,true,false]"},
      {"(u32,u32)->()", "[4294967295,7]"},
      {"(string,string)->()", "[\"\xE4\xB8\xAD\xE6\x96\x87\",\"\"]"},
      {"(Rec{id:u32,name:string,size:u64})->()",
       "[{\"id\":1,\"name\":\"\xE6\xB5\x8B\",\"size\":5000000000}]"},
      {"(Range{start_ip:string,end_ip:string,max:u64})->()",
       R"([{"start_ip":"10.0.0.1","end_ip":"10.0.0.9","max":18446744073709551615}])"},
      {"([Rec{id:u32,name:string}],[u32],[Rec{a:u32}])->()",
       R"([[{"id":1,"name":"a"},{"id":2,"name":"b"}],[3,4],[]])"},
      {"(Outer{inner:Inner{list:[string]},flag:bool})->()",
       R"([{"inner":{"list":["x","y"]},"flag":true}])"},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(row.args, round_trip(types(row.signature), json(row.args))) << row.signature;
  }
}

TEST_F(CJsonParamsTest, StringsTravelAsGbk) {
  std::vector<TypeNode> string_type = types("(string)->()");
  Released<rpc::IParams> list(factory()->create_list());
  CJsonParams converter(*factory());
  std::string error;
  ASSERT_TRUE(converter.append(string_type[0], Json::Value("\xE4\xB8\xAD\xE6\x96\x87"), *list,
                               "argument 1", error));
  ASSERT_EQ(1u, list->count());
  EXPECT_EQ("\xD6\xD0\xCE\xC4", *static_cast<std::string*>(list->at(0)->value()));
}

TEST_F(CJsonParamsTest, RefusesArgumentsOfTheWrongShape) {
  static const char kRecord[] = "(Rec{id:u32,name:string,size:u64})->()";
  static const struct {
    const char* signature;
    const char* arg;
    const char* error;
  } errors[] = {
      {"(u32)->()", "-1", "argument 1: expects an integer from 0 to 4294967295"},
      {"(u32)->()", "4294967296", "expects an integer from 0 to 4294967295"},
      {"(u32)->()", "1.0", "expects an integer"},
      {"(u32)->()", "\"5\"", "expects an integer"},
      {"(u64)->()", "18446744073709551616", "expects an integer from 0 to 18446744073709551615"},
      {"(u64)->()", "-5", "expects an integer"},
      {"(bool)->()", "1", "expects true or false"},
      {"(string)->()", "5", "expects a string"},
      {"(string)->()", "null", "expects a string"},
      {"(string)->()", "\"\xF0\x9F\x98\x80\"", "GBK cannot hold"},
      {kRecord, "{\"id\": 1, \"name\": \"a\"}", "missing field \"size\" of Rec"},
      {kRecord, "{\"id\": 1, \"name\": \"a\", \"size\": 2, \"x\": 0}", "unknown field \"x\""},
      {kRecord, "[1, \"a\", 2]", "expects an object Rec{id:u32,name:string,size:u64}"},
      {kRecord, "{\"id\": -1, \"name\": \"a\", \"size\": 2}", "field \"id\": expects an integer"},
      {"([Rec{id:u32}])->()", "[{\"id\": 1}, {}]", "argument 1: element 1: missing field \"id\""},
      {"([u32])->()", "[1, true]", "element 1: expects an integer"},
      {"([u32])->()", "{}", "expects an array [u32]"},
  };
  for (const auto& row : errors) {
    std::vector<TypeNode> arg_types = types(row.signature);
    Released<rpc::IParams> list(factory()->create_list());
    CJsonParams converter(*factory());
    std::string error;
    EXPECT_FALSE(converter.append(arg_types[0], json(row.arg), *list, "argument 1", error))
        << row.arg;
    EXPECT_NE(std::string::npos, error.find(row.error)) << row.arg << " gave: " << error;
    EXPECT_EQ(0u, list->count()) << row.arg;
  }
}

TEST_F(CJsonParamsTest, ShowsResultsThatDoNotFitTheSignatureByTheirOwnType) {
  // A record with two fields where the signature names three, a string
  // where a number is expected, invalid GBK, and a result beyond the
  // signature.
  Released<rpc::IParams> results(factory()->create_list());
  rpc::IParams* fields = factory()->create_list();
  unsigned int one = 1;
  std::string bad_gbk = "a\xFF";
  fields->append(factory()->create_value(rpc::kTypeUInt32, &one, rpc::kCopy));
  fields->append(factory()->create_value(rpc::kTypeString, &bad_gbk, rpc::kCopy));
  results->append(factory()->create_value(rpc::kTypeRecord, fields, rpc::kCopy));
  results->append(factory()->create_value(rpc::kTypeString, &bad_gbk, rpc::kCopy));
  results->append(factory()->create_value(rpc::kTypeUInt32, &one, rpc::kCopy));

  Signature signature;
  std::string error;
  ASSERT_TRUE(CSignatureParser::parse("()->(R{a:u32,b:string,c:u64},u32)", signature, error));
  EXPECT_EQ("[[1,\"a\xEF\xBF\xBD\"],\"a\xEF\xBF\xBD\",1]",
            CJsonParams::results_to_json(signature.outputs, *results).text());
}

}  // namespace
}  // namespace console
