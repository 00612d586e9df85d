// QueryPerformanceCounter: monotonic, with a rate fixed at boot.
#include <windows.h>

#include "platform/performance_counter.h"

namespace pellarin::platform {

int64_t ReadPerformanceCounter() {
  LARGE_INTEGER count;
  if (!QueryPerformanceCounter(&count)) return 0;
  return count.QuadPart;
}

int64_t ReadPerformanceFrequency() {
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency)) return 0;
  return frequency.QuadPart;
}

}  // namespace pellarin::platform
