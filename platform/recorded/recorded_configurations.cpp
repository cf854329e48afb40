// The configuration manager of a described machine: the status of a device
// instance and the resource descriptors of its logical configurations.
#include "platform/recorded/recorded_device_manager.h"
#include "platform/recorded/recorded_platform.h"

namespace {

template <class Record>
std::vector<BYTE> BytesOf(const Record& record) {
  std::vector<BYTE> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

}  // namespace

const machine::DeviceInstance* RecordedPlatform::InstanceOf(DEVINST devInst) const {
  if (devInst == 0 || devInst > machine_.deviceInstances.size()) return nullptr;
  return &machine_.deviceInstances[devInst - 1];
}

const std::vector<machine::Resource>* RecordedPlatform::ResourcesOf(const Configuration& c) const {
  const machine::DeviceInstance& d = machine_.deviceInstances[c.instance];
  const auto& list = c.kind == ALLOC_LOG_CONF ? d.allocated : c.kind == FORCED_LOG_CONF ? d.forced : d.boot;
  return list ? &*list : nullptr;
}

const RecordedPlatform::Configuration* RecordedPlatform::DescriptorOf(RES_DES resDes, HMACHINE machine) const {
  auto it = configurations_.find(resDes);
  if (it == configurations_.end() || !it->second.at || machine != nullptr) return nullptr;
  return &it->second;
}

std::vector<BYTE> RecordedPlatform::ResourceRecord(const Configuration& descriptor) const {
  const machine::Resource& r = (*ResourcesOf(descriptor))[*descriptor.at];
  switch (r.type) {
    case ResType_Mem: {
      MEM_DES d{};
      d.MD_Type = sizeof(DWORDLONG) * 3;  // the size of one MEM_RANGE; none follow
      d.MD_Alloc_Base = r.base;
      d.MD_Alloc_End = r.end;
      return BytesOf(d);
    }
    case ResType_IO: {
      IO_DES d{};
      d.IOD_Type = sizeof(DWORDLONG) * 3;
      d.IOD_Alloc_Base = r.base;
      d.IOD_Alloc_End = r.end;
      return BytesOf(d);
    }
    case ResType_DMA: {
      DMA_DES d{};
      d.DD_Type = sizeof(ULONG) * 3;
      d.DD_Alloc_Chan = r.value;
      return BytesOf(d);
    }
    default: {
      IRQ_DES d{};
      d.IRQD_Type = sizeof(ULONG) * 3;
      d.IRQD_Alloc_Num = r.value;
      d.IRQD_Affinity = ~0ull;
      return BytesOf(d);
    }
  }
}

CONFIGRET RecordedPlatform::CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG,
                                                     HMACHINE machine) {
  const machine::DeviceInstance* instance = InstanceOf(devInst);
  if (instance == nullptr || machine != nullptr) return CR_INVALID_DEVNODE;
  if (status == nullptr || problemNumber == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(instance->behaviour, "CM_Get_DevNode_Status_Ex", code)) return code;
  *status = instance->status;
  *problemNumber = instance->problem;
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags,
                                                     HMACHINE machine) {
  const machine::DeviceInstance* instance = InstanceOf(devInst);
  if (instance == nullptr || machine != nullptr) return CR_INVALID_DEVNODE;
  DWORD code = 0;
  if (Failing(instance->behaviour, "CM_Get_First_Log_Conf_Ex", code)) return code;
  Configuration c;
  c.instance = devInst - 1;
  c.kind = flags;
  if ((flags != ALLOC_LOG_CONF && flags != FORCED_LOG_CONF && flags != BOOT_LOG_CONF) || ResourcesOf(c) == nullptr)
    return CR_NO_MORE_LOG_CONF;
  // Asked only whether one exists: no handle is given out.
  if (logConf == nullptr) return CR_SUCCESS;
  const std::uintptr_t handle = NewHandle();
  configurations_[handle] = c;
  *logConf = handle;
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Free_Log_Conf_Handle(LOG_CONF logConf) {
  auto it = configurations_.find(logConf);
  if (it == configurations_.end() || it->second.at) return CR_INVALID_LOG_CONF;
  configurations_.erase(it);
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource,
                                                   RESOURCEID* resourceId, ULONG, HMACHINE machine) {
  // `current` is a configuration or one of its descriptors.
  auto it = configurations_.find(current);
  if (it == configurations_.end() || machine != nullptr) return CR_INVALID_RES_DES;
  if (resDes == nullptr) return CR_INVALID_POINTER;
  const Configuration from = it->second;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[from.instance].behaviour, "CM_Get_Next_Res_Des_Ex", code)) return code;
  const std::vector<machine::Resource>* resources = ResourcesOf(from);
  for (std::size_t i = from.at ? *from.at + 1 : 0; resources != nullptr && i < resources->size(); ++i) {
    const machine::Resource& r = (*resources)[i];
    if (forResource != ResType_All && r.type != forResource) continue;
    Configuration next = from;
    next.at = i;
    const std::uintptr_t handle = NewHandle();
    configurations_[handle] = next;
    *resDes = handle;
    if (resourceId != nullptr) *resourceId = r.type;
    return CR_SUCCESS;
  }
  return CR_NO_MORE_RES_DES;
}

CONFIGRET RecordedPlatform::CM_Free_Res_Des_Handle(RES_DES resDes) {
  auto it = configurations_.find(resDes);
  if (it == configurations_.end() || !it->second.at) return CR_INVALID_RES_DES;
  configurations_.erase(it);
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG, HMACHINE machine) {
  const Configuration* descriptor = DescriptorOf(resDes, machine);
  if (descriptor == nullptr) return CR_INVALID_RES_DES;
  if (size == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[descriptor->instance].behaviour, "CM_Get_Res_Des_Data_Size_Ex", code))
    return code;
  *size = static_cast<ULONG>(ResourceRecord(*descriptor).size());
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG,
                                                   HMACHINE machine) {
  const Configuration* descriptor = DescriptorOf(resDes, machine);
  if (descriptor == nullptr) return CR_INVALID_RES_DES;
  if (buffer == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[descriptor->instance].behaviour, "CM_Get_Res_Des_Data_Ex", code)) return code;
  const std::vector<BYTE> record = ResourceRecord(*descriptor);
  if (bufferLen < record.size()) return CR_BUFFER_SMALL;
  std::memcpy(buffer, record.data(), record.size());
  return CR_SUCCESS;
}
