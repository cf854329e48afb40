// The device manager's description of one device instance, gathered as the
// display lines of a DeviceManagerInfo.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/device_manager_info.h"
#include "platform/platform.h"

// Fills `info` for the index-th present device of the interface class.
void GatherDeviceManagerInfo(Platform& platform, const GUID& interfaceClass, DWORD index, DeviceManagerInfo& info);

// The present devices of the interface class in a new set; INVALID_HANDLE_VALUE
// when the set cannot be had.
HDEVINFO OpenPresentInterfaceDevices(Platform& platform, const GUID& interfaceClass);
// The strings of a multi-string property in order, or none.
std::optional<std::vector<std::wstring>> GetMultiStringProperty(Platform& platform, HDEVINFO set,
                                                                SP_DEVINFO_DATA& device, DWORD property);
void AppendMultiString(const std::optional<std::vector<std::wstring>>& strings, std::vector<std::wstring>& list);
bool AppendHardwareResources(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device,
                             std::vector<std::wstring>& list);
void AppendResourcesOfType(Platform& platform, DEVINST instance, HMACHINE machine, LOG_CONF configuration,
                           RESOURCEID type, std::vector<std::wstring>& list);
bool AppendDriverNodes(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, std::vector<std::wstring>& list);
// Finds the class driver node of the installed driver; leaves the class driver
// list built when it does.
bool FindInstalledDriver(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, SP_DRVINFO_DATA_W& driver);
bool AppendDriverFiles(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, std::vector<std::wstring>& list);
