// What the device manager records about one device instance, as display lines.
#pragma once

#include <string>
#include <vector>

struct DeviceManagerInfo {
  std::vector<std::wstring> hardwareIds;
  std::vector<std::wstring> compatibleIds;
  std::vector<std::wstring> hardwareResources;
  std::vector<std::wstring> driverNodes;
  std::vector<std::wstring> driverFiles;
};
