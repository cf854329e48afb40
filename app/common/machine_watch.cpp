#include "app/common/machine_watch.h"

#ifdef __linux__
#include "platform/linux/change_watch.h"
#endif

namespace {

#ifdef __linux__
class LinuxMachineWatch : public MachineWatch {
 public:
  explicit LinuxMachineWatch(std::unique_ptr<linuxsys::ChangeWatch> w) : watch(std::move(w)) {}
  bool WaitForChange() override { return watch->WaitForChange() == linuxsys::ChangeWatch::Outcome::Changed; }
  void Interrupt() override { watch->Interrupt(); }

 private:
  std::unique_ptr<linuxsys::ChangeWatch> watch;
};
#endif

}  // namespace

std::unique_ptr<MachineWatch> MachineWatch::Open(const MachineSource& source, std::string& error) {
#ifdef __linux__
  std::unique_ptr<linuxsys::ChangeWatch> watch = source.machineFile
                                                     ? linuxsys::ChangeWatch::ForFile(*source.machineFile, error)
                                                     : linuxsys::ChangeWatch::ForSystem(source.systemRoot, error);
  if (!watch) return nullptr;
  return std::make_unique<LinuxMachineWatch>(std::move(watch));
#else
  (void)source;
  error = "changes cannot be watched on this system";
  return nullptr;
#endif
}
