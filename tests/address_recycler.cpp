#include "address_recycler.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<const void*> gWatched{nullptr};
std::atomic<void*> gKept{nullptr};
std::atomic<std::size_t> gKeptSize{0};

void* Allocate(std::size_t size) {
  if (gKept.load() != nullptr && size == gKeptSize.load()) {
    if (void* p = gKept.exchange(nullptr)) return p;
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void Release(void* p) noexcept {
  if (p != nullptr && p == gWatched.load()) {
    gWatched = nullptr;
    gKept = p;
    return;
  }
  std::free(p);
}

}  // namespace

namespace viv::test {

void RecycleOnce(const void* address, std::size_t size) {
  gKeptSize = size;
  gWatched = address;
}

}  // namespace viv::test

// Every plain form is replaced, so that memory never passes between this allocator and another.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
