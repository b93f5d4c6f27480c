// Requests, replies and parameter trees: building, encoding, parsing.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/CRpcFactory.h"

namespace {

using rpc::IParams;

// Little-endian byte strings for hand-made payloads.
struct Bytes {
  std::string data;
  Bytes& u8(unsigned v) {
    data.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) u8((v >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& u64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) u8((v >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& text(const std::string& s) {
    u32(static_cast<std::uint32_t>(s.size()));
    data += s;
    return *this;
  }
  Bytes& raw(const std::string& s) {
    data += s;
    return *this;
  }
};

// A payload: method name, then the given list bytes.
std::string payload(const std::string& method, const Bytes& list) {
  return Bytes().text(method).raw(list.data).data;
}

// Renders a tree so two trees compare as strings.
std::string describe(IParams* item) {
  switch (item->type()) {
    case 0: {
      std::string out = "(";
      for (std::size_t i = 0; i < item->count(); ++i) out += describe(item->at(i)) + " ";
      return out + ")";
    }
    case rpc::kTypeBool:
      return *static_cast<bool*>(item->value()) ? "true" : "false";
    case rpc::kTypeUInt32:
      return "u32:" + std::to_string(*static_cast<unsigned int*>(item->value()));
    case rpc::kTypeUInt64:
      return "u64:" + std::to_string(*static_cast<unsigned long long*>(item->value()));
    case rpc::kTypeString:
      return "'" + *static_cast<std::string*>(item->value()) + "'";
    case rpc::kTypeRecord:
      return "rec" + describe(static_cast<IParams*>(item->value()));
    case rpc::kTypeArray: {
      std::string out = "[";
      for (IParams* e : *static_cast<std::vector<IParams*>*>(item->value())) out += describe(e);
      return out + "]";
    }
  }
  return "?";
}

class CodecTest : public ::testing::Test {
 protected:
  rpc::IRpcFactory& f = *rpc::CRpcFactory::instance();

  IParams* u32(unsigned int v) { return f.create_value(rpc::kTypeUInt32, &v, rpc::kCopy); }
  IParams* adopted(const std::string& s) {
    return f.create_value(rpc::kTypeString, new std::string(s), rpc::kAdopt);
  }
  // A record of fields, the way the stubs pack one.
  IParams* record(std::vector<IParams*> fields) {
    IParams* list = f.create_list();
    for (IParams* field : fields) EXPECT_TRUE(list->append(field));
    return f.create_value(rpc::kTypeRecord, list, rpc::kCopy);
  }
  // `depth` records nested in each other, innermost holding one u32.
  IParams* nested(int depth) {
    IParams* item = u32(1);
    for (int i = 0; i < depth; ++i) item = record({item});
    return item;
  }
  std::string bytes_of(const rpc::IRequest& request) {
    std::string out(request.size(), '\0');
    EXPECT_EQ(request.serialize(&out[0], out.size()), out.size());
    return out;
  }
};

// Every type, GBK and NUL bytes in strings, records of adopted strings,
// arrays of records, empty containers: the bytes parse back to the same
// tree and serialize to the same bytes.
TEST_F(CodecTest, RequestRoundTripKeepsEveryType) {
  rpc::IRequest* request = f.create_request("query_ip_blacklist");
  IParams* args = request->params();
  bool yes = true;
  unsigned long long big = 0xFFFFFFFFFFFFFFFFull;
  std::string gbk("\xc4\xe3\xba\xc3\0x", 6);
  ASSERT_TRUE(args->append(f.create_value(rpc::kTypeBool, &yes, rpc::kCopy)));
  ASSERT_TRUE(args->append(u32(0xDEADBEEF)));
  ASSERT_TRUE(args->append(f.create_value(rpc::kTypeUInt64, &big, rpc::kCopy)));
  ASSERT_TRUE(args->append(f.create_value(rpc::kTypeString, &gbk, rpc::kCopy)));
  ASSERT_TRUE(args->append(record({adopted("10.0.0.1"), adopted(""), u32(80)})));
  std::vector<IParams*> elements;
  for (unsigned i = 0; i < 3; ++i) {
    IParams* element = f.create_list();
    element->append(u32(i));
    element->append(adopted("site" + std::to_string(i)));
    elements.push_back(element);
  }
  ASSERT_TRUE(args->append(f.create_value(rpc::kTypeArray, &elements, rpc::kCopy)));
  std::vector<IParams*> none;
  ASSERT_TRUE(args->append(f.create_value(rpc::kTypeArray, &none, rpc::kCopy)));
  ASSERT_TRUE(args->append(record({})));

  std::string bytes = bytes_of(*request);
  rpc::IRequest* parsed = f.create_request("");
  ASSERT_TRUE(parsed->parse(bytes.data(), bytes.size()));
  EXPECT_EQ(parsed->method(), "query_ip_blacklist");
  EXPECT_EQ(describe(parsed->params()), describe(args));
  EXPECT_EQ(describe(parsed->params()),
            "(true u32:3735928559 u64:18446744073709551615 '" + gbk +
                "' rec('10.0.0.1' '' u32:80 ) [(u32:0 'site0' )(u32:1 'site1' )(u32:2 'site2' )] "
                "[] rec() )");
  EXPECT_EQ(bytes_of(*parsed), bytes);
  request->release();
  parsed->release();
}

TEST_F(CodecTest, ReplyRoundTripKeepsCodeAndResults) {
  rpc::IReply* reply = f.create_reply(nullptr, 0x183C0007);
  reply->results()->append(record({u32(1), u32(2), u32(3)}));
  std::string bytes(reply->size(), '\0');
  ASSERT_EQ(reply->serialize(&bytes[0], bytes.size()), bytes.size());

  rpc::IReply* parsed = f.create_reply(nullptr, ec::kRpcOk);
  ASSERT_TRUE(parsed->parse(bytes.data(), bytes.size()));
  EXPECT_EQ(parsed->code(), 0x183C0007u);
  EXPECT_EQ(describe(parsed->results()), "(rec(u32:1 u32:2 u32:3 ) )");
  reply->release();
  parsed->release();
}

// The exact layout, which clients in other languages rely on.
TEST_F(CodecTest, EncodingIsLittleEndianAndLengthPrefixed) {
  rpc::IRequest* request = f.create_request("m");
  bool yes = true;
  request->params()->append(u32(0x01020304));
  request->params()->append(f.create_value(rpc::kTypeBool, &yes, rpc::kCopy));
  EXPECT_EQ(bytes_of(*request), payload("m", Bytes().u32(2).u8(7).u32(0x01020304).u8(1).u8(1)));
  request->release();

  rpc::IReply* reply = f.create_reply(nullptr, ec::kRpcOk);
  std::string bytes(reply->size(), '\0');
  reply->serialize(&bytes[0], bytes.size());
  EXPECT_EQ(bytes, Bytes().u32(ec::kRpcOk).u32(0).data);
  reply->release();
}

TEST_F(CodecTest, SerializeIntoShortBufferWritesNothing) {
  rpc::IReply* reply = f.create_reply(nullptr, ec::kRpcOk);
  reply->results()->append(adopted("abcdef"));
  std::string buffer(reply->size(), '#');
  EXPECT_EQ(reply->serialize(&buffer[0], buffer.size() - 1), 0u);
  EXPECT_EQ(buffer, std::string(buffer.size(), '#'));
  EXPECT_EQ(reply->serialize(nullptr, 100), 0u);
  reply->release();
}

// Arguments come off last first; popped entries, and the strings they
// hold, stay valid until the list goes; serialize writes what is left.
TEST_F(CodecTest, PopTakesLastFirstAndPoppedEntriesStayValid) {
  rpc::IRequest* request = f.create_request("add");
  IParams* args = request->params();
  args->append(u32(1));
  args->append(record({adopted("start"), adopted("end")}));

  IParams* rec = args->pop();
  ASSERT_EQ(rec->type(), rpc::kTypeRecord);
  IParams* fields = static_cast<IParams*>(rec->value());
  std::string* end = static_cast<std::string*>(fields->pop()->value());
  std::string* start = static_cast<std::string*>(fields->pop()->value());
  EXPECT_EQ(fields->pop(), nullptr);
  IParams* first = args->pop();
  EXPECT_EQ(args->pop(), nullptr);
  EXPECT_EQ(args->count(), 0u);
  EXPECT_EQ(*start, "start");
  EXPECT_EQ(*end, "end");
  EXPECT_EQ(*static_cast<unsigned int*>(first->value()), 1u);
  EXPECT_EQ(bytes_of(*request), payload("add", Bytes().u32(0)));

  // Appending after pops puts the entry on the list, popped ones aside.
  args->append(u32(9));
  ASSERT_EQ(args->count(), 1u);
  IParams* nine = args->at(0);
  EXPECT_EQ(*static_cast<unsigned int*>(nine->value()), 9u);
  EXPECT_EQ(args->pop(), nine);
  EXPECT_EQ(*static_cast<unsigned int*>(first->value()), 1u);
  request->release();
}

TEST_F(CodecTest, CreateValueAdoptsOrCopiesStrings) {
  std::string* heap = new std::string("gbk \xc4\xe3");
  IParams* adopted_value = f.create_value(rpc::kTypeString, heap, rpc::kAdopt);
  EXPECT_EQ(adopted_value->value(), heap);
  adopted_value->release();  // deletes `heap`

  std::string local("copy");
  IParams* copied = f.create_value(rpc::kTypeString, &local, rpc::kCopy);
  EXPECT_NE(copied->value(), &local);
  EXPECT_EQ(*static_cast<std::string*>(copied->value()), "copy");
  copied->release();
}

// Refused values take nothing over: the caller still owns what it gave.
TEST_F(CodecTest, CreateValueRefusesBadInputAndKeepsNothing) {
  unsigned int number = 5;
  EXPECT_EQ(f.create_value(2, &number, rpc::kCopy), nullptr);
  EXPECT_EQ(f.create_value(17, &number, rpc::kCopy), nullptr);
  EXPECT_EQ(f.create_value(rpc::kTypeUInt32, nullptr, rpc::kCopy), nullptr);

  IParams* not_a_list = u32(3);
  EXPECT_EQ(f.create_value(rpc::kTypeRecord, not_a_list, rpc::kCopy), nullptr);
  IParams* good = f.create_list();
  std::vector<IParams*> mixed = {good, not_a_list};
  EXPECT_EQ(f.create_value(rpc::kTypeArray, &mixed, rpc::kCopy), nullptr);
  std::vector<IParams*> with_null = {good, nullptr};
  EXPECT_EQ(f.create_value(rpc::kTypeArray, &with_null, rpc::kCopy), nullptr);
  not_a_list->release();
  good->release();

  IParams* value = u32(1);
  EXPECT_FALSE(value->append(u32(2)));  // a value is no list; the item is freed
  EXPECT_EQ(value->pop(), nullptr);
  value->release();
  EXPECT_EQ(f.create_request(std::string(256, 'm')), nullptr);
}

TEST_F(CodecTest, TreesDeeperThanTheLimitAreNotEncoded) {
  rpc::IReply* reply = f.create_reply(nullptr, ec::kRpcOk);
  reply->results()->append(nested(8));
  std::size_t size = reply->size();
  EXPECT_GT(size, 0u);
  reply->results()->append(nested(9));
  EXPECT_EQ(reply->size(), 0u);
  std::string buffer(size * 4, '#');
  EXPECT_EQ(reply->serialize(&buffer[0], buffer.size()), 0u);
  reply->release();
}

// Depth: `levels` records nested around one u32, as list bytes.
Bytes nested_bytes(int levels) {
  Bytes inner = Bytes().u32(1).u8(7).u32(1);
  for (int i = 0; i < levels; ++i) inner = Bytes().u32(1).u8(15).raw(inner.data);
  return inner;
}

struct PayloadCase {
  const char* name;
  std::string bytes;
};

TEST_F(CodecTest, WellFormedEdgePayloadsParse) {
  const PayloadCase cases[] = {
      {"empty method, no args", payload("", Bytes().u32(0))},
      {"255-byte method", payload(std::string(255, 'a'), Bytes().u32(0))},
      {"records 8 deep", payload("m", nested_bytes(8))},
      {"array of records 8 deep",
       payload("m", Bytes().u32(1).u8(16).u32(1).raw(nested_bytes(7).data))},
      {"empty array and string",
       payload("m", Bytes().u32(2).u8(16).u32(0).u8(13).u32(0))},
  };
  for (const PayloadCase& c : cases) {
    SCOPED_TRACE(c.name);
    rpc::IRequest* request = f.create_request("");
    EXPECT_TRUE(request->parse(c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(bytes_of(*request), c.bytes);
    request->release();
  }
}

TEST_F(CodecTest, MalformedPayloadsAreRefusedAndLeaveRequestEmpty) {
  const std::string valid = payload("m", Bytes().u32(1).u8(7).u32(5));
  const PayloadCase cases[] = {
      {"empty", ""},
      {"short name length", "\x01\x00\x00"},
      {"name length beyond data", Bytes().u32(10).raw("ab").data},
      {"256-byte method", payload(std::string(256, 'a'), Bytes().u32(0))},
      {"no argument list", Bytes().text("m").data},
      {"count beyond values", payload("m", Bytes().u32(2).u8(7).u32(5))},
      {"count beyond bytes left", payload("m", Bytes().u32(0xFFFFFFFF).u8(1).u8(0))},
      {"type code 0", payload("m", Bytes().u32(1).u8(0).u32(5))},
      {"type code 2", payload("m", Bytes().u32(1).u8(2).u32(5))},
      {"type code 17", payload("m", Bytes().u32(1).u8(17).u32(0))},
      {"bool value 2", payload("m", Bytes().u32(1).u8(1).u8(2))},
      {"u32 cut short", payload("m", Bytes().u32(1).u8(7).u8(1).u8(2))},
      {"u64 cut short", payload("m", Bytes().u32(1).u8(9).u32(1))},
      {"string length beyond data", payload("m", Bytes().u32(1).u8(13).u32(9).raw("abc"))},
      {"string length 4 GiB", payload("m", Bytes().u32(1).u8(13).u32(0xFFFFFFFF).raw("abc"))},
      {"record cut short", payload("m", Bytes().u32(1).u8(15).u32(2).u8(7).u32(1))},
      {"array count beyond bytes left",
       payload("m", Bytes().u32(1).u8(16).u32(0x40000000).u32(0))},
      {"array element cut short", payload("m", Bytes().u32(1).u8(16).u32(1).u8(0))},
      {"records 9 deep", payload("m", nested_bytes(9))},
      {"arrays 9 deep",
       payload("m", Bytes().u32(1).u8(16).u32(1).raw(nested_bytes(8).data))},
      {"trailing byte", valid + "x"},
  };
  for (const PayloadCase& c : cases) {
    SCOPED_TRACE(c.name);
    rpc::IRequest* request = f.create_request("before");
    request->params()->append(u32(1));
    EXPECT_FALSE(request->parse(c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(request->method(), "");
    EXPECT_EQ(request->params()->count(), 0u);
    // The same object parses a good payload afterwards.
    EXPECT_TRUE(request->parse(valid.data(), valid.size()));
    request->release();
  }
}

TEST_F(CodecTest, MalformedRepliesAreRefusedAndLeaveReplyEmpty) {
  const PayloadCase cases[] = {
      {"empty", ""},
      {"code cut short", "\x00\x00\x0c"},
      {"no results list", Bytes().u32(ec::kRpcOk).data},
      {"trailing byte", Bytes().u32(ec::kRpcOk).u32(0).u8(0).data},
      {"bad value", Bytes().u32(ec::kRpcOk).u32(1).u8(1).u8(7).data},
  };
  for (const PayloadCase& c : cases) {
    SCOPED_TRACE(c.name);
    rpc::IReply* reply = f.create_reply(nullptr, ec::kRpcOk);
    reply->results()->append(u32(1));
    EXPECT_FALSE(reply->parse(c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(reply->code(), 0u);
    EXPECT_EQ(reply->results()->count(), 0u);
    reply->release();
  }
}

}  // namespace
