#include "platform/capture/platform_capture.h"

#include "platform/capture/capture_steps.h"

namespace capture {

machine::Machine CaptureMachine(Platform& platform) {
  machine::Machine m;
  m.description = "Captured through the platform's own requests.";
  Asker asker(platform);
  CaptureStorage(asker, m);
  CaptureDeviceManager(asker, m);
  return m;
}

}  // namespace capture
