// A request whose answer may not fit the first buffer. Large machines must not
// silently lose mount points, extents or partitions, so the buffer grows when
// the platform says more room is needed, up to a sane bound.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/platform.h"
#include "scan/answer_buffer.h"

// Bytes the full answer takes, as far as a (possibly short) answer tells; 0 when
// it does not tell.
using NeededBytes = std::function<std::size_t(const AnswerBuffer&)>;
// Fills the zeroed buffer before each try (some requests read a preset size).
using PrepareBuffer = std::function<void(AnswerBuffer&)>;

constexpr std::size_t kLargestAnswer = 64u << 20;

// Sends `code` through `answer`, which the caller has allocated at its first
// size. Returns true on success; on failure the platform's last error is left
// for the caller.
bool SendGrowingRequest(Platform& platform, HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                        AnswerBuffer& answer, const NeededBytes& needed, const PrepareBuffer& prepare = nullptr);
