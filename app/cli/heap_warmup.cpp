#include "app/cli/heap_warmup.h"

#if defined(QUELBRIN_MIMALLOC) && defined(__linux__)

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <system_error>
#include <thread>

#include <mimalloc.h>

#include "platform/machine/machine_file.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, and nothing is mapped
#endif

namespace {

// Address space, not memory: pages are made when first touched, as anywhere
// else. Made when the allocator starts, so that it takes every segment from
// here, lowest first, and the pages the run writes next are known. Twice the
// heap of the largest machine file read; a heap that outgrows it goes on in
// memory of the system's choosing. Pages freed here are kept for reuse, not
// given back and faulted in again: a 100,000-volume run peaks 7% higher.
constexpr std::size_t kArenaBytes = std::size_t{1} << 30;
// The description and model of a machine file take 7 to 9 times its size
// (generated machines of 10,000 and 100,000 volumes, on one disk each or on
// ports); six times is mostly written by the run anyway.
constexpr std::size_t kHeapPerFileByte = 6;
// Below this, a run takes a few milliseconds and a thread would not pay.
constexpr std::size_t kSmallestFile = std::size_t{1} << 20;

// The arena of the option below, as mimalloc numbers the arenas it makes.
constexpr mi_arena_id_t kFirstArena = 1;

// Runs before the shared libraries' constructors, and so before the
// allocator's first allocation (the security library's constructor makes
// one). Setting an option is all the allocator allows before it has started;
// it makes the arena when it starts.
void ReserveArena(int, char**, char**) { mi_option_set(mi_option_reserve_os_memory, kArenaBytes >> 10); }
[[gnu::section(".preinit_array"), gnu::used]] void (*const reserveArenaFirst)(int, char**, char**) = ReserveArena;

}  // namespace

void WarmHeapFor(const std::string& machineFile) {
  struct stat status {};
  if (::stat(machineFile.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
  const auto fileBytes = static_cast<std::size_t>(status.st_size);
  // A file too large to be read is refused unread: nothing to map for it.
  if (fileBytes < kSmallestFile || fileBytes > kMaxMachineFileBytes) return;
  // The arena made at start is the allocator's first. Where the heap is not
  // in it (an allocator that numbers arenas otherwise, an arena the system
  // refused), nothing is mapped.
  std::size_t arenaSize = 0;
  auto* start = static_cast<char*>(mi_arena_area(kFirstArena, &arenaSize));
  const auto heapByte = std::make_unique<char>();
  const auto at = reinterpret_cast<std::uintptr_t>(heapByte.get());
  const auto from = reinterpret_cast<std::uintptr_t>(start);
  if (start == nullptr || at < from || at - from >= arenaSize) return;
  const std::size_t bytes = std::min(arenaSize, fileBytes * kHeapPerFileByte);
  // Mapping a page neither reads nor writes it, so racing the allocator's own
  // writes is harmless; the process ends without waiting for the thread.
  try {
    std::thread([start, bytes] { ::madvise(start, bytes, MADV_POPULATE_WRITE); }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the run maps its pages itself, as it always could.
  }
}

#else

void WarmHeapFor(const std::string&) {}

#endif
