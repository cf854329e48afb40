#include "platform/machine/machine.h"

namespace machine {

const Volume* Machine::FindVolume(const std::string& id) const {
  for (const Volume& v : volumes) {
    if (v.id == id) return &v;
  }
  return nullptr;
}

const Drive* Machine::FindDrive(DWORD number) const {
  for (const Drive& d : drives) {
    if (d.number == number) return &d;
  }
  return nullptr;
}

const Port* Machine::FindPort(DWORD number) const {
  for (const Port& p : ports) {
    if (p.number == number) return &p;
  }
  return nullptr;
}

const DeviceInstance* Machine::FindInstance(const std::string& id) const {
  for (const DeviceInstance& d : deviceInstances) {
    if (d.id == id) return &d;
  }
  return nullptr;
}

}  // namespace machine
