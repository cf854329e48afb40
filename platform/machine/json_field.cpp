#include "platform/machine/json_field.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/wide_text.h"

namespace {

// Builds at most about `limit` characters of the value's JSON text; a value
// that comes from the file may be as large and as deeply nested as the file.
void Preview(const nlohmann::json& v, std::string& out, std::size_t limit) {
  const auto quoted = [&out, limit](const std::string& s) {
    // A cut through a multi-byte character is shown as a replacement character.
    out += nlohmann::json(s.substr(0, limit)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  if (out.size() > limit) return;
  if (v.is_object()) {
    out += '{';
    for (auto it = v.begin(); it != v.end() && out.size() <= limit; ++it) {
      if (it != v.begin()) out += ',';
      quoted(it.key());
      out += ':';
      Preview(*it, out, limit);
    }
    out += '}';
  } else if (v.is_array()) {
    out += '[';
    for (auto it = v.begin(); it != v.end() && out.size() <= limit; ++it) {
      if (it != v.begin()) out += ',';
      Preview(*it, out, limit);
    }
    out += ']';
  } else if (v.is_string()) {
    quoted(v.get_ref<const std::string&>());
  } else {
    out += v.dump();
  }
}

std::string Describe(const nlohmann::json& v) {
  std::string text;
  Preview(v, text, 60);
  if (text.size() > 60) text = text.substr(0, 57) + "...";
  return std::string(v.type_name()) + " " + text;
}

bool ParseUnsigned(std::string_view s, ULONGLONG& out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
  return ec == std::errc() && end == s.data() + s.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void JsonField::Fail(const std::string& expected) const {
  if (quick_ != nullptr) Error(expected);
  Error("expected " + expected + ", found " + Describe(*value_));
}

void JsonField::Error(const std::string& message) const {
  // The full reader reads the file again and gives the message.
  if (quick_ != nullptr) throw MachineFileError("");
  throw MachineFileError(*file_ + ": " + (path_.empty() ? "top level" : path_) + ": " + message);
}

namespace {

std::uint64_t NameBit(const char* name, std::size_t length) {
  if (length == 0) return 1;
  const auto first = static_cast<unsigned char>(name[0]);
  const auto last = static_cast<unsigned char>(name[length - 1]);
  return std::uint64_t{1} << ((length * 31 + first * 7 + last) & 63);
}

}  // namespace

const rapidjson::Value* JsonField::QuickMember(std::string_view key) const {
  const rapidjson::SizeType count = quick_->MemberCount();
  if (count == 0) return nullptr;
  const auto members = quick_->MemberBegin();
  if (!named_) {
    for (rapidjson::SizeType i = 0; i < count; ++i)
      nameBits_ |= NameBit(members[i].name.GetString(), members[i].name.GetStringLength());
    named_ = true;
  }
  if ((nameBits_ & NameBit(key.data(), key.size())) == 0) return nullptr;
  // The quick reader refuses a name twice in one object, so the one found is the first.
  for (rapidjson::SizeType n = 0, i = next_ < count ? next_ : 0; n < count; ++n, i = i + 1 == count ? 0 : i + 1) {
    const rapidjson::Value& name = members[i].name;
    if (std::string_view(name.GetString(), name.GetStringLength()) == key) {
      next_ = i + 1;
      return &members[i].value;
    }
  }
  return nullptr;
}

bool JsonField::Has(std::string_view key) const {
  if (quick_ != nullptr) return quick_->IsObject() && QuickMember(key) != nullptr;
  return value_->is_object() && value_->contains(key);
}

std::string_view JsonField::StringView(const char* expected) const {
  if (quick_ != nullptr) {
    if (!quick_->IsString()) Fail(expected);
    return {quick_->GetString(), quick_->GetStringLength()};
  }
  if (!value_->is_string()) Fail(expected);
  return value_->get_ref<const std::string&>();
}

// The path of a member: built with one allocation, as every field read makes one.
std::string JsonField::Child(std::string_view key) const {
  std::string path;
  if (path_.empty()) return path.assign(key);
  path.reserve(path_.size() + 1 + key.size());
  return path.append(path_).append(1, '.').append(key);
}

std::optional<JsonField> JsonField::Optional(std::string_view key) const {
  if (quick_ != nullptr) {
    if (!quick_->IsObject()) Fail("an object");
    const rapidjson::Value* member = QuickMember(key);
    if (member == nullptr || member->IsNull()) return std::nullopt;
    return JsonField(*member, *file_);
  }
  if (!value_->is_object()) Fail("an object");
  auto it = value_->find(key);
  if (it == value_->end() || it->is_null()) return std::nullopt;
  return JsonField(*it, Child(key), *file_);
}

JsonField JsonField::Required(std::string_view key) const {
  auto f = Optional(key);
  if (!f) Error("missing required field \"" + std::string(key) + "\"");
  return *f;
}

void JsonField::AllowOnly(std::initializer_list<std::string_view> keys) const {
  if (quick_ != nullptr) {
    if (!quick_->IsObject()) Fail("an object");
    // Not GetObject(): windows.h makes that name a macro.
    for (auto member = quick_->MemberBegin(); member != quick_->MemberEnd(); ++member) {
      const std::string_view key(member->name.GetString(), member->name.GetStringLength());
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) Error("unknown field");
    }
    return;
  }
  if (!value_->is_object()) Fail("an object");
  for (auto it = value_->begin(); it != value_->end(); ++it) {
    const std::string& key = it.key();
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    std::string list;
    for (const std::string_view k : keys) list.append(list.empty() ? "" : ", ").append(k);
    Error("unknown field \"" + key + "\" (known fields: " + list + ")");
  }
}

std::vector<std::pair<std::string, JsonField>> JsonField::Members() const {
  std::vector<std::pair<std::string, JsonField>> out;
  if (quick_ != nullptr) {
    if (!quick_->IsObject()) Fail("an object");
    for (auto member = quick_->MemberBegin(); member != quick_->MemberEnd(); ++member)
      out.emplace_back(std::string(member->name.GetString(), member->name.GetStringLength()),
                       JsonField(member->value, *file_));
    // In the full document's order, which is by name.
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
  }
  if (!value_->is_object()) Fail("an object");
  for (auto it = value_->begin(); it != value_->end(); ++it) {
    std::string path;
    path.reserve(path_.size() + 1 + it.key().size());
    path.append(path_).append(1, '.').append(it.key());
    out.emplace_back(it.key(), JsonField(*it, std::move(path), *file_));
  }
  return out;
}

std::vector<JsonField> JsonField::Items() const {
  std::vector<JsonField> out;
  if (quick_ != nullptr) {
    if (!quick_->IsArray()) Fail("an array");
    out.reserve(quick_->Size());
    for (const auto& item : quick_->GetArray()) out.emplace_back(item, *file_);
    return out;
  }
  if (!value_->is_array()) Fail("an array");
  out.reserve(value_->size());
  char index[24];
  for (std::size_t i = 0; i < value_->size(); ++i) {
    const int n = std::snprintf(index, sizeof index, "[%zu]", i);
    std::string path;
    path.reserve(path_.size() + static_cast<std::size_t>(n));
    path.append(path_).append(index, static_cast<std::size_t>(n));
    out.emplace_back((*value_)[i], std::move(path), *file_);
  }
  return out;
}

ULONGLONG JsonField::Unsigned(ULONGLONG max, const char* what) const {
  ULONGLONG v = 0;
  if (quick_ != nullptr) {
    if (quick_->IsUint64()) {
      v = quick_->GetUint64();
    } else if (!quick_->IsString() || !ParseUnsigned({quick_->GetString(), quick_->GetStringLength()}, v)) {
      Fail(what);
    }
  } else if (value_->is_number_unsigned()) {
    v = value_->get<ULONGLONG>();
  } else if (value_->is_number_integer()) {
    Fail(what);
  } else if (value_->is_string()) {
    if (!ParseUnsigned(value_->get_ref<const std::string&>(), v)) Fail(what);
  } else {
    Fail(what);
  }
  if (v > max) Fail(what);
  return v;
}

ULONGLONG JsonField::U64() const { return Unsigned(~0ull, "an unsigned 64-bit number (decimal, or \"0x\" hex)"); }
DWORD JsonField::U32() const {
  return static_cast<DWORD>(Unsigned(0xFFFFFFFFull, "an unsigned 32-bit number (decimal, or \"0x\" hex)"));
}
WORD JsonField::U16() const { return static_cast<WORD>(Unsigned(0xFFFF, "a number from 0 to 65535")); }
BYTE JsonField::U8() const { return static_cast<BYTE>(Unsigned(0xFF, "a number from 0 to 255")); }

LONGLONG JsonField::I64() const {
  if (quick_ != nullptr) {
    if (quick_->IsInt64()) return quick_->GetInt64();
    // Beyond the signed range an unsigned number wraps, as the full document's does.
    if (quick_->IsUint64()) return static_cast<LONGLONG>(quick_->GetUint64());
  } else if (value_->is_number_integer()) {
    return value_->get<LONGLONG>();
  }
  return static_cast<LONGLONG>(Unsigned(0x7FFFFFFFFFFFFFFFull, "a signed 64-bit number"));
}

bool JsonField::Bool() const {
  if (quick_ != nullptr ? !quick_->IsBool() : !value_->is_boolean()) Fail("true or false");
  return quick_ != nullptr ? quick_->GetBool() : value_->get<bool>();
}

std::string JsonField::Text() const { return std::string(StringView("a string")); }

std::wstring JsonField::Wide() const { return WideFromUtf8(Text()); }

GUID JsonField::Guid() const {
  const char* expected = "a GUID such as \"{6ba7b810-9dad-11d1-80b4-00c04fd430c8}\"";
  std::string_view s = StringView(expected);
  if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
  if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') Fail(expected);
  std::string digits;
  for (char c : s) {
    if (c == '-') continue;
    if (HexDigit(c) < 0) Fail(expected);
    digits += c;
  }
  auto hex = [&digits](std::size_t at, std::size_t n) {
    ULONGLONG v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v * 16 + static_cast<ULONGLONG>(HexDigit(digits[at + i]));
    return v;
  };
  GUID g{};
  g.Data1 = static_cast<DWORD>(hex(0, 8));
  g.Data2 = static_cast<WORD>(hex(8, 4));
  g.Data3 = static_cast<WORD>(hex(12, 4));
  for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(hex(16 + 2 * i, 2));
  return g;
}

std::vector<BYTE> JsonField::Hex() const {
  const char* expected = "a string of hexadecimal byte pairs such as \"0a 1b 2c\"";
  const std::string_view text = StringView(expected);
  std::vector<BYTE> out;
  int high = -1;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (high >= 0) Fail(expected);
      continue;
    }
    const int d = HexDigit(c);
    if (d < 0) Fail(expected);
    if (high < 0) {
      high = d;
    } else {
      out.push_back(static_cast<BYTE>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) Fail(expected);
  return out;
}

namespace {

// "file:line:column" of the byte at `at`.
std::string PositionOf(const std::string& text, std::size_t at, const std::string& file) {
  at = std::min(at, text.size());
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return file + ":" + std::to_string(line) + ":" + std::to_string(column);
}

// The offset of the bracket that opens nesting level `level`, in text that is
// valid JSON up to there.
std::size_t OpeningOfLevel(const std::string& text, std::size_t level) {
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth == level) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return text.size();
}

// The library's document builder, stopped at a nesting depth no machine file
// needs (deeper values would take the stack of every recursive walk over
// them) and keeping where an error was found instead of throwing.
class LimitedBuilder : public nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
 public:
  using Base = nlohmann::detail::json_sax_dom_parser<nlohmann::json>;
  explicit LimitedBuilder(nlohmann::json& out) : Base(out, false) {}

  bool start_object(std::size_t elements) { return Deeper() && Base::start_object(elements); }
  bool end_object() {
    --depth_;
    return Base::end_object();
  }
  bool start_array(std::size_t elements) { return Deeper() && Base::start_array(elements); }
  bool end_array() {
    --depth_;
    return Base::end_array();
  }
  // Syntax errors, and numbers beyond what a double holds.
  template <class Exception>
  bool parse_error(std::size_t position, const std::string& token, const Exception& e) {
    if (e.id == 406) {
      // Valid JSON, but no number this program can hold: pointed at where it starts.
      errorAt = position >= token.size() ? position - token.size() : 0;
      message = "a number out of range: " + token.substr(0, 40) + "; numbers are integers of at most 64 bits";
    } else {
      errorAt = position > 0 ? position - 1 : 0;
      message = e.what();
      const auto colon = message.rfind(": ");
      if (colon != std::string::npos) message = message.substr(colon + 2);
      message = "not valid JSON: " + message;
    }
    return Base::parse_error(position, token, e);
  }

  bool tooDeep = false;
  std::size_t errorAt = 0;
  std::string message;

 private:
  bool Deeper() {
    if (++depth_ <= kMaxJsonDepth) return true;
    tooDeep = true;
    return false;
  }
  std::size_t depth_ = 0;
};

}  // namespace

nlohmann::json ParseJsonText(const std::string& text, const std::string& file) {
  // The parser takes a NUL byte for the end of the text and would accept
  // whatever follows it; JSON has no place for one outside an escape.
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos)
    throw MachineFileError(PositionOf(text, nul, file) + ": not valid JSON: a NUL byte");
  nlohmann::json document;
  LimitedBuilder builder(document);
  if (nlohmann::json::sax_parse(text, &builder)) return document;
  if (builder.tooDeep) {
    throw MachineFileError(PositionOf(text, OpeningOfLevel(text, kMaxJsonDepth + 1), file) +
                           ": objects and arrays nested more than " + std::to_string(kMaxJsonDepth) +
                           " deep");
  }
  throw MachineFileError(PositionOf(text, builder.errorAt, file) + ": " + builder.message);
}
