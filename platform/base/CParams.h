// The one realization of rpc::IParams: a list of parameters or a typed value.
#ifndef PLATFORM_BASE_CPARAMS_H_
#define PLATFORM_BASE_CPARAMS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "frame/export.h"
#include "frame/rpc.h"

namespace rpc {

// A list keeps its entries in one vector: the first count() are on the
// list, the rest were popped and stay owned (and alive) until the list is
// released. pop() therefore never allocates and never invalidates pointers.
//
// A value owns what it holds: a copied or adopted std::string (code 13), the
// record's field list (15), the element lists (16, kept in the same vector,
// which value() hands out as the std::vector<IParams*>).
//
// Not thread-safe; one thread builds or reads a tree at a time.
class AGENT_EXPORT CParams : public IParams {
 public:
  // A new empty list; null when allocation fails.
  static CParams* make_list();
  // A typed value as IRpcFactory::create_value describes it: codes 1, 7, 9
  // copy; 13 copies, or takes over the heap string when `adopt` is kAdopt;
  // 15 takes over the list `value` points to; 16 takes over every list in
  // the std::vector<IParams*> `value` points to and copies the vector. Null
  // for an unknown code, a null value, a record or element that is not a
  // list, or when allocation fails; nothing is taken over then.
  static CParams* make_value(int type, const void* value, int adopt);

  void release() override;
  // False, releasing `item`, on a value, a null item or when allocation
  // fails. An item equal to this list is refused and left alone.
  bool append(IParams* item) override;
  IParams* pop() override;
  std::size_t count() const override;
  IParams* at(std::size_t index) const override;
  int type() const override { return type_; }
  void* value() override;

  // Makes room for `count` more entries, when memory allows; a hint only.
  void reserve(std::size_t count);
  // Releases every entry, popped ones included. Lists only.
  void clear();
  // Exchanges the entries of two lists (pointers to entries stay valid).
  void swap_entries(CParams& other);

  CParams(const CParams&) = delete;
  CParams& operator=(const CParams&) = delete;

 private:
  explicit CParams(int type);
  ~CParams() override;

  int type_;                       // 0 for a list, else a TypeCode
  std::size_t live_;               // lists: entries_[0, live_) are on the list
  std::vector<IParams*> entries_;  // owned: list entries, or array elements
  bool bool_;
  unsigned int u32_;
  unsigned long long u64_;
  std::string* string_;  // owned
  IParams* record_;      // owned
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CPARAMS_H_
