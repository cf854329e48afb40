// Reading a machine file's JSON with errors that name the file, the field and
// what was expected.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include "platform/machine/machine_file_error.h"
#include "platform/win_types.h"

// A field is read from one of two documents. The library's full document
// (nlohmann) gives every message its place and what was found there. The quick
// document (RapidJSON) is read first: it keeps no paths, and any complaint
// about it only stops the quick read, for the full reader to say what is wrong.
class JsonField {
 public:
  JsonField(const nlohmann::json& value, std::string path, const std::string& file)
      : value_(&value), path_(std::move(path)), file_(&file) {}
  JsonField(const rapidjson::Value& value, const std::string& file) : quick_(&value), file_(&file) {}

  const std::string& path() const { return path_; }
  bool IsObject() const { return quick_ != nullptr ? quick_->IsObject() : value_->is_object(); }
  bool IsString() const { return quick_ != nullptr ? quick_->IsString() : value_->is_string(); }
  // A member of that name, null or not.
  bool Has(std::string_view key) const;

  // Object members. Fails unless this is an object.
  std::optional<JsonField> Optional(std::string_view key) const;
  JsonField Required(std::string_view key) const;
  // Rejects members not in `keys`, so that a misspelt field is reported rather
  // than silently defaulted.
  void AllowOnly(std::initializer_list<std::string_view> keys) const;
  // Members of an object in file order, as (key, field).
  std::vector<std::pair<std::string, JsonField>> Members() const;
  // Items of an array.
  std::vector<JsonField> Items() const;

  // Numbers are JSON integers or strings in decimal or "0x" hexadecimal.
  ULONGLONG U64() const;
  DWORD U32() const;
  WORD U16() const;
  BYTE U8() const;
  LONGLONG I64() const;
  bool Bool() const;
  std::string Text() const;
  std::wstring Wide() const;
  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", braces optional.
  GUID Guid() const;
  // Hexadecimal digits, blanks allowed between bytes.
  std::vector<BYTE> Hex() const;

  template <class T>
  T Or(std::string_view key, T fallback, T (JsonField::*read)() const) const {
    auto f = Optional(key);
    return f ? ((*f).*read)() : fallback;
  }

  // "expected X, found Y" at this field.
  [[noreturn]] void Fail(const std::string& expected) const;
  // Any other complaint about this field.
  [[noreturn]] void Error(const std::string& message) const;

 private:
  ULONGLONG Unsigned(ULONGLONG max, const char* what) const;
  std::string Child(std::string_view key) const;
  // The string value, or a failure naming `expected`.
  std::string_view StringView(const char* expected) const;
  // The quick document's member of that name, or null.
  const rapidjson::Value* QuickMember(std::string_view key) const;

  const nlohmann::json* value_ = nullptr;
  const rapidjson::Value* quick_ = nullptr;
  std::string path_;
  const std::string* file_;
  // Quick lookups: the readers ask for a dozen fields of an object, most of
  // them absent, in about the order the file has them. A bit for each member
  // name's length and ends settles most absent ones at once, and the search
  // for a present one starts just after the member found last.
  mutable std::uint64_t nameBits_ = 0;
  mutable bool named_ = false;
  mutable std::uint32_t next_ = 0;
};

// Objects and arrays nested deeper than this are refused; a machine file needs
// fewer than ten levels.
constexpr std::size_t kMaxJsonDepth = 100;

// Parses `text` as JSON; a syntax error, a number out of range, a NUL byte or
// nesting beyond kMaxJsonDepth names the file, line and column.
nlohmann::json ParseJsonText(const std::string& text, const std::string& file);
