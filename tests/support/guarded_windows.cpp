// GuardedBytes on Windows: VirtualAlloc, with the last page made
// inaccessible by VirtualProtect.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "guarded.h"

namespace talmo_test {

GuardedBytes::GuardedBytes(std::string_view bytes) : size_(bytes.size()) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  const size_t dataPages = (size_ + page - 1) / page;
  regionSize_ = (dataPages + 1) * page;
  region_ = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, regionSize_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!region_) std::abort();
  DWORD old = 0;
  if (!VirtualProtect(region_ + dataPages * page, page, PAGE_NOACCESS, &old)) std::abort();
  data_ = region_ + dataPages * page - size_;
  if (size_) std::memcpy(data_, bytes.data(), size_);
}

GuardedBytes::~GuardedBytes() {
  VirtualFree(region_, 0, MEM_RELEASE);
}

}  // namespace talmo_test
