// GuardedBytes on POSIX: an anonymous mapping whose last page is made
// inaccessible with mprotect.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "guarded.h"

namespace talmo_test {

GuardedBytes::GuardedBytes(std::string_view bytes) : size_(bytes.size()) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t dataPages = (size_ + page - 1) / page;
  regionSize_ = (dataPages + 1) * page;
  void* region =
      mmap(nullptr, regionSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) std::abort();
  region_ = static_cast<unsigned char*>(region);
  if (mprotect(region_ + dataPages * page, page, PROT_NONE) != 0) std::abort();
  data_ = region_ + dataPages * page - size_;
  if (size_) std::memcpy(data_, bytes.data(), size_);
}

GuardedBytes::~GuardedBytes() {
  munmap(region_, regionSize_);
}

}  // namespace talmo_test
