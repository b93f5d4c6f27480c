// Writing a whole buffer to a descriptor.
#ifndef UTILITY_WRITE_ALL_H_
#define UTILITY_WRITE_ALL_H_

#include <cstddef>

namespace utility {

// Writes all `size` bytes of `data` to `fd`, retrying interrupted and short
// writes. False on an error or a write that makes no progress.
bool write_all(int fd, const void* data, std::size_t size);

}  // namespace utility

#endif  // UTILITY_WRITE_ALL_H_
