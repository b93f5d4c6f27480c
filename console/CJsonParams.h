// Converts between JSON values and the framework's typed parameters, guided
// by the types of a method signature.
//
// JSON to parameters (arguments): u32 and u64 take integer literals within
// range, bool takes true/false, string takes a JSON string (UTF-8, sent as
// GBK), a record takes an object with exactly its fields, an array takes a
// JSON array. Array elements travel as one list each: a record element's
// list holds its fields, any other element's list holds the one value.
//
// Parameters to JSON (results): texts are shown as UTF-8, records as objects
// keyed by the signature's field names, in the signature's order. Values
// that do not match the expected type are still shown, by their own type,
// with records as arrays.
//
// Holds a reference to the factory, which must outlive this object. Not
// thread-safe beyond what the factory allows.
#ifndef CONSOLE_CJSONPARAMS_H_
#define CONSOLE_CJSONPARAMS_H_

#include <json/json.h>

#include <string>

#include "console/COrderedJson.h"
#include "console/TypeNode.h"
#include "frame/rpc.h"

namespace console {

class CJsonParams {
 public:
  explicit CJsonParams(rpc::IRpcFactory& factory) : factory_(factory) {}

  // Appends `json`, typed as `type`, to `list`. On failure nothing is
  // appended, and `error` says where and what is wrong, led by `where`
  // (e.g. "argument 2").
  bool append(const TypeNode& type, const Json::Value& json, rpc::IParams& list,
              const std::string& where, std::string& error);

  // One JSON value per entry of `results`, typed by `types` where they fit.
  static COrderedJson results_to_json(const std::vector<TypeNode>& types,
                                      const rpc::IParams& results);

  // One typed value as JSON; `type` may be null when unknown.
  static COrderedJson value_to_json(const TypeNode* type, rpc::IParams& value);

 private:
  // A new value owned by the caller, or null with `error` set.
  rpc::IParams* make_value(const TypeNode& type, const Json::Value& json,
                           const std::string& where, std::string& error);
  rpc::IParams* make_scalar(const TypeNode& type, const Json::Value& json,
                            const std::string& where, std::string& error);
  rpc::IParams* make_record(const TypeNode& type, const Json::Value& json,
                            const std::string& where, std::string& error);
  rpc::IParams* make_array(const TypeNode& type, const Json::Value& json,
                           const std::string& where, std::string& error);
  // Appends the record's fields to `list`, which keeps them in every case.
  bool fill_record(const TypeNode& type, const Json::Value& json, rpc::IParams& list,
                   const std::string& where, std::string& error);

  static COrderedJson list_to_json(const TypeNode* type, const rpc::IParams& list);
  static COrderedJson element_to_json(const TypeNode* type, const rpc::IParams& element);

  rpc::IRpcFactory& factory_;
};

}  // namespace console

#endif  // CONSOLE_CJSONPARAMS_H_
