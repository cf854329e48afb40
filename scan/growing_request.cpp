#include "scan/growing_request.h"

#include <algorithm>

bool SendGrowingRequest(Platform& platform, HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                        AnswerBuffer& answer, const NeededBytes& needed, const PrepareBuffer& prepare) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    answer.Clear();
    if (prepare) prepare(answer);
    const BOOL ok = platform.DeviceIoControl(device, code, input, inputSize, answer.data(), answer.size(),
                                             answer.returnedPtr(), nullptr);
    const std::size_t want = needed ? needed(answer) : 0;
    bool tooSmall = false;
    if (ok) {
      tooSmall = want > answer.size();
    } else {
      const DWORD error = platform.GetLastError();
      if (error != ERROR_MORE_DATA && error != ERROR_INSUFFICIENT_BUFFER) return false;
      tooSmall = true;
    }
    if (!tooSmall) return true;
    std::size_t next = want > answer.size() ? want : std::size_t{answer.size()} * 2;
    if (next > kLargestAnswer || !answer.Allocate(next)) {
      // Keep what an answer that succeeded already holds rather than nothing.
      return ok != FALSE;
    }
  }
  return false;
}
