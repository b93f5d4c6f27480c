#include "ip_blacklist/tests/FakeIpFilter.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace blacklist_test {

namespace {
// Long enough for an unguarded second caller to run into the first.
const std::chrono::microseconds kCriticalPause(50);
}  // namespace

FakeIpFilter& fake_filter() {
  static FakeIpFilter filter;
  return filter;
}

void FakeIpFilter::reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  init_status_ = open_status_ = status_ = del_status_ = 0;
  add_script_.clear();
  for (auto& list : lists_) list.clear();
  grow_ = 0;
  added_.clear();
  saves_.clear();
  buffered_queries_ = closes_ = releases_ = inside_ = 0;
  overlapped_ = false;
}

void FakeIpFilter::set_init_status(int status) {
  std::lock_guard<std::mutex> guard(mutex_);
  init_status_ = status;
}

void FakeIpFilter::set_open_status(int status) {
  std::lock_guard<std::mutex> guard(mutex_);
  open_status_ = status;
}

void FakeIpFilter::set_status(int status) {
  std::lock_guard<std::mutex> guard(mutex_);
  status_ = status;
  del_status_ = status;
}

void FakeIpFilter::script_adds(std::deque<int> statuses) {
  std::lock_guard<std::mutex> guard(mutex_);
  add_script_ = std::move(statuses);
}

void FakeIpFilter::set_del_status(int status) {
  std::lock_guard<std::mutex> guard(mutex_);
  del_status_ = status;
}

void FakeIpFilter::set_list(ListKind kind, std::vector<rpc::IpScope> list) {
  std::lock_guard<std::mutex> guard(mutex_);
  lists_[kind] = std::move(list);
}

void FakeIpFilter::grow_after_sizing(unsigned int extra) {
  std::lock_guard<std::mutex> guard(mutex_);
  grow_ = extra;
}

std::vector<rpc::IpScope> FakeIpFilter::added() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return added_;
}

std::vector<std::string> FakeIpFilter::saves() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return saves_;
}

int FakeIpFilter::buffered_queries() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return buffered_queries_;
}

int FakeIpFilter::closes() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return closes_;
}

int FakeIpFilter::releases() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return releases_;
}

bool FakeIpFilter::overlapped() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return overlapped_;
}

int FakeIpFilter::init() {
  std::lock_guard<std::mutex> guard(mutex_);
  return init_status_;
}

int FakeIpFilter::open() {
  std::lock_guard<std::mutex> guard(mutex_);
  return open_status_;
}

int FakeIpFilter::close() {
  std::lock_guard<std::mutex> guard(mutex_);
  ++closes_;
  return 0;
}

void FakeIpFilter::release() {
  std::lock_guard<std::mutex> guard(mutex_);
  ++releases_;
}

int FakeIpFilter::common() {
  std::lock_guard<std::mutex> guard(mutex_);
  return status_;
}

void FakeIpFilter::enter() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (++inside_ > 1) overlapped_ = true;
  }
  std::this_thread::sleep_for(kCriticalPause);
}

void FakeIpFilter::leave() {
  std::lock_guard<std::mutex> guard(mutex_);
  --inside_;
}

int FakeIpFilter::add_scope(const rpc::IpScope* scope) {
  enter();
  std::lock_guard<std::mutex> guard(mutex_);
  --inside_;
  int status = status_;
  if (!add_script_.empty()) {
    status = add_script_.front();
    add_script_.pop_front();
  }
  if (status == 0) added_.push_back(*scope);
  return status;
}

int FakeIpFilter::del_scope(const rpc::IpScope*) {
  std::lock_guard<std::mutex> guard(mutex_);
  return del_status_;
}

int FakeIpFilter::save_persis(const char* path) {
  enter();
  std::lock_guard<std::mutex> guard(mutex_);
  --inside_;
  saves_.push_back(path != nullptr ? path : "(null)");
  return path != nullptr && *path != '\0' ? 0 : 2;
}

int FakeIpFilter::query(ListKind kind, void* buffer, unsigned int capacity, unsigned int& size) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (status_ != 0) return status_;
  std::vector<rpc::IpScope>& list = lists_[kind];
  unsigned int needed = static_cast<unsigned int>(list.size() * sizeof(rpc::IpScope));
  size = needed;
  if (needed == 0) return 0;
  if (buffer == nullptr || capacity < needed) {
    for (unsigned int i = 0; i < grow_; ++i)
      list.push_back(rpc::IpScope{0x0B000000u + i, 0x0B000000u + i, 0});
    grow_ = 0;
    return 32;
  }
  ++buffered_queries_;
  std::memcpy(buffer, list.data(), needed);
  return 0;
}

}  // namespace blacklist_test

// The link-time seam: the manager's module object is the fake.
ISecModelIpFilter* ISecModelIpFilter::instance() { return &blacklist_test::fake_filter(); }
