#include "platform/capture/answer_reader.h"

#include "platform/port_records.h"
#include "platform/wide_text.h"

namespace capture {

std::wstring Answer::Utf16(std::size_t offset, std::size_t units) const {
  if (offset >= bytes_.size()) return {};
  units = std::min(units, (bytes_.size() - offset) / 2);
  return WideFromUtf16(bytes_.data() + offset, units);
}

std::string Answer::Text(std::size_t offset) const {
  std::string out;
  for (std::size_t i = offset; i < bytes_.size() && bytes_[i] != 0; ++i) out += static_cast<char>(bytes_[i]);
  return out;
}

DWORD Asker::LastError(DWORD fallback) {
  const DWORD code = p_.GetLastError();
  return code != 0 ? code : fallback;
}

HANDLE Asker::Open(const std::wstring& path, DWORD access, DWORD share, machine::Behaviour& behaviour) {
  const HANDLE h = p_.CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) behaviour.fail["open"] = LastError();
  return h;
}

std::optional<Answer> Asker::Ask(HANDLE handle, DWORD code, const void* in, DWORD inSize, DWORD outSize,
                                 machine::Behaviour& behaviour, const std::string& name) {
  std::vector<BYTE> out(outSize, 0);
  DWORD returned = 0;
  if (!p_.DeviceIoControl(handle, code, const_cast<void*>(in), inSize, out.data(), outSize, &returned, nullptr)) {
    behaviour.fail[name] = LastError();
    return std::nullopt;
  }
  out.resize(std::min<std::size_t>(returned, out.size()));
  return Answer(std::move(out));
}

std::optional<Answer> Asker::QueryProperty(HANDLE handle, STORAGE_PROPERTY_ID property, machine::Behaviour& behaviour) {
  const char* name = property == StorageAdapterProperty  ? "StorageAdapterProperty"
                     : property == StorageDeviceProperty ? "StorageDeviceProperty"
                                                         : "StorageDeviceIdProperty";
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  const auto header = Ask(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                          sizeof(STORAGE_DESCRIPTOR_HEADER), behaviour, name);
  if (!header) return std::nullopt;
  const DWORD size = header->ReadPadded<STORAGE_DESCRIPTOR_HEADER>(0).Size;
  // Sizes past this are not believed, as the scan does not believe them.
  if (size < sizeof(STORAGE_DESCRIPTOR_HEADER) || size > (1u << 20)) return std::nullopt;
  return Ask(handle, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, size, behaviour, name);
}

}  // namespace capture
