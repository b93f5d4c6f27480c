// A scripted stand-in for the packet-filter module. The test binary defines
// ISecModelIpFilter::instance() to return it, so the manager under test
// drives this fake instead of the real library. Thread-safe.
#ifndef IP_BLACKLIST_TESTS_FAKEIPFILTER_H_
#define IP_BLACKLIST_TESTS_FAKEIPFILTER_H_

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ipfilter/ISecModelIpFilter.h"

namespace blacklist_test {

enum ListKind { kAll = 0, kTemp = 1, kPersis = 2 };

class FakeIpFilter : public ISecModelIpFilter, public IIpRuleSet {
 public:
  // Back to a fresh, open-able module with empty lists and no script.
  void reset();

  // ---- script ----
  void set_init_status(int status);
  void set_open_status(int status);
  // Answered by every rule-set operation (queries included) from now on.
  void set_status(int status);
  // Statuses of the next add_scope calls, in order; later calls answer
  // the common status.
  void script_adds(std::deque<int> statuses);
  void set_del_status(int status);
  void set_list(ListKind kind, std::vector<rpc::IpScope> list);
  // Appends `extra` entries to every list right after a query sized it.
  void grow_after_sizing(unsigned int extra);

  // ---- what happened ----
  std::vector<rpc::IpScope> added() const;
  std::vector<std::string> saves() const;
  int buffered_queries() const;
  int closes() const;
  int releases() const;
  // Whether two add_scope/save_persis calls ever ran at the same time.
  bool overlapped() const;

  // ISecModelIpFilter
  int init() override;
  int open() override;
  int close() override;
  void release() override;
  IIpRuleSet* rules() override { return this; }

  // IIpRuleSet
  int start_filter() override { return common(); }
  int stop_filter() override { return common(); }
  int add_scope(const rpc::IpScope* scope) override;
  int del_scope(const rpc::IpScope* scope) override;
  int start_persis() override { return common(); }
  int stop_persis() override { return common(); }
  int clear_all() override { return common(); }
  int clear_temp() override { return common(); }
  int clear_persis() override { return common(); }
  int query_all(void* buffer, unsigned int capacity, unsigned int& size) override {
    return query(kAll, buffer, capacity, size);
  }
  int query_temp(void* buffer, unsigned int capacity, unsigned int& size) override {
    return query(kTemp, buffer, capacity, size);
  }
  int query_persis(void* buffer, unsigned int capacity, unsigned int& size) override {
    return query(kPersis, buffer, capacity, size);
  }
  int save_persis(const char* path) override;

 private:
  int common();
  int query(ListKind kind, void* buffer, unsigned int capacity, unsigned int& size);
  // Marks a critical call entered/left; notes overlaps.
  void enter();
  void leave();

  mutable std::mutex mutex_;
  int init_status_ = 0;
  int open_status_ = 0;
  int status_ = 0;
  int del_status_ = 0;
  std::deque<int> add_script_;
  std::vector<rpc::IpScope> lists_[3];
  unsigned int grow_ = 0;
  std::vector<rpc::IpScope> added_;
  std::vector<std::string> saves_;
  int buffered_queries_ = 0;
  int closes_ = 0;
  int releases_ = 0;
  int inside_ = 0;
  bool overlapped_ = false;
};

FakeIpFilter& fake_filter();

}  // namespace blacklist_test

#endif  // IP_BLACKLIST_TESTS_FAKEIPFILTER_H_
