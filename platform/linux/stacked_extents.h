// Where a range of a block device lies on the machine's drives: through
// partitions, device-mapper tables (LVM, dm-crypt, ...) and md arrays, down
// to the disks at the bottom of the stack.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/device_mapper.h"
#include "platform/linux/system_files.h"
#include "platform/machine/machine.h"

namespace linuxsys {

class StackedExtents {
 public:
  using TableSource = std::function<std::optional<std::string>(unsigned major, unsigned minor)>;

  StackedExtents(SystemFiles& files, const std::vector<BlockDevice>& devices,
                 const std::map<std::string, DWORD>& driveNumbers, TableSource tables);

  // The extents on drives of bytes [offset, offset + length) of the device.
  std::vector<machine::Extent> Of(const std::string& name, ULONGLONG offset, ULONGLONG length);
  // The whole device.
  std::vector<machine::Extent> Of(const BlockDevice& d) { return Of(d.name, 0, d.sizeBytes); }

 private:
  const BlockDevice* Find(const std::string& name) const;
  const BlockDevice* FromTableName(const std::string& device) const;
  const std::optional<std::vector<DmSegment>>& Table(const BlockDevice& d);
  void Walk(const std::string& name, ULONGLONG offset, ULONGLONG length, int depth,
            std::vector<machine::Extent>& out);
  bool WalkTable(const BlockDevice& d, ULONGLONG offset, ULONGLONG length, int depth,
                 std::vector<machine::Extent>& out);
  void WalkArray(const BlockDevice& d, ULONGLONG offset, ULONGLONG length, int depth,
                 std::vector<machine::Extent>& out);

  SystemFiles& files_;
  const std::vector<BlockDevice>& devices_;
  const std::map<std::string, DWORD>& driveNumbers_;
  TableSource tables_;
  std::map<std::string, std::size_t> byName_;
  std::map<std::string, std::size_t> byNumber_;
  std::map<std::string, std::optional<std::vector<DmSegment>>> tableCache_;
};

}  // namespace linuxsys
