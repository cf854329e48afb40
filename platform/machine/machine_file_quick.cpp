// Reading a machine file through RapidJSON's parser, several times quicker
// than the library document that gives the reader's messages. It takes only
// files that both read alike; anything else goes to the full reader.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include <rapidjson/reader.h>

#include "platform/machine/machine_file_parts.h"

namespace machine {
namespace {

using Document = rapidjson::Document;

// The most bytes that follow the first of one UTF-8 sequence.
constexpr std::size_t kUtf8LongestTail = 3;

// Passes the parser's events on to the document, refusing what the full reader
// reads otherwise or refuses: nesting beyond kMaxJsonDepth, a name twice in
// one object (the full document keeps the last value, this one the first),
// "-0", which the full document takes for a signed number and this one for an
// unsigned one, and a lone low surrogate.
class CheckedEvents {
 public:
  explicit CheckedEvents(Document& document) : d_(document) {}

  bool Null() { return d_.Null(); }
  bool Bool(bool b) { return d_.Bool(b); }
  // Only numbers written with a minus sign arrive signed.
  bool Int(int i) { return i != 0 && d_.Int(i); }
  bool Int64(std::int64_t i) { return i != 0 && d_.Int64(i); }
  bool Uint(unsigned u) { return d_.Uint(u); }
  bool Uint64(std::uint64_t u) { return d_.Uint64(u); }
  bool Double(double v) { return d_.Double(v); }
  bool RawNumber(const char* s, rapidjson::SizeType n, bool copy) { return d_.RawNumber(s, n, copy); }
  bool String(const char* s, rapidjson::SizeType n, bool copy) { return NoSurrogate(s, n) && d_.String(s, n, copy); }
  bool StartObject() {
    if (!Deeper()) return false;
    objectKeys_.push_back(keys_.size());
    return d_.StartObject();
  }
  bool Key(const char* s, rapidjson::SizeType n, bool copy) {
    if (!NoSurrogate(s, n)) return false;
    // Parsed in place, the name stays where it is in the text.
    keys_.emplace_back(s, n);
    return d_.Key(s, n, copy);
  }
  bool EndObject(rapidjson::SizeType members) {
    const std::size_t first = objectKeys_.back();
    objectKeys_.pop_back();
    const auto begin = keys_.begin() + static_cast<std::ptrdiff_t>(first);
    const bool unique = Unique(begin, keys_.end());
    keys_.erase(begin, keys_.end());
    --depth_;
    return unique && d_.EndObject(members);
  }
  bool StartArray() { return Deeper() && d_.StartArray(); }
  bool EndArray(rapidjson::SizeType items) {
    --depth_;
    return d_.EndArray(items);
  }

 private:
  bool Deeper() { return ++depth_ <= kMaxJsonDepth; }
  // This parser takes "\udc00" with no high surrogate before it, which the
  // full one refuses, and writes its code point as the bytes ED B0 80. No
  // valid UTF-8 has ED followed by A0 to BF, and the text read was checked,
  // so those bytes come from such an escape. A pair gives four other bytes.
  static bool NoSurrogate(const char* s, rapidjson::SizeType n) {
    const char* end = s + n;
    for (const char* p = s; (p = static_cast<const char*>(std::memchr(p, 0xED, static_cast<std::size_t>(end - p)))) != nullptr;
         ++p) {
      if (end - p > 1 && (static_cast<unsigned char>(p[1]) & 0xE0) == 0xA0) return false;
    }
    return true;
  }
  using Names = std::vector<std::string_view>::iterator;
  // Most objects have a few names, which compare quicker than they sort.
  static bool Unique(Names begin, Names end) {
    if (end - begin > 16) {
      std::sort(begin, end);
      return std::adjacent_find(begin, end) == end;
    }
    for (Names a = begin; a != end; ++a) {
      if (std::find(a + 1, end, *a) != end) return false;
    }
    return true;
  }

  Document& d_;
  std::size_t depth_ = 0;
  std::vector<std::string_view> keys_;   // of the objects open
  std::vector<std::size_t> objectKeys_;  // where each open object's names begin
};

bool IsAscii(std::string_view text) {
  unsigned char any = 0;
  for (const char c : text) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

}  // namespace

std::optional<Machine> ReadMachineQuickly(const std::string& text, const std::string& sourceName) {
  if (text.find('\0') != std::string::npos) return std::nullopt;
  // Parsed in place: strings and names stay in this copy, which the document reads.
  // The parser's check of a UTF-8 sequence takes all the bytes its first byte
  // announces, end of text or not: a text cut just after such a byte had it
  // read two bytes past the copy. NULs after the text keep every read inside.
  std::string buffer;
  buffer.reserve(text.size() + kUtf8LongestTail);
  buffer.append(text).append(kUtf8LongestTail, '\0');
  Document document;
  bool parsed = false;
  // A text of ASCII alone has no UTF-8 to check, and what its escapes stand for
  // the parser writes as valid UTF-8, but for a lone low surrogate, which the
  // events refuse either way; checking costs a look at every byte.
  const bool ascii = IsAscii(text);
  auto parse = [&buffer, &parsed, ascii](Document& d) {
    // Recursive descent, quicker than the iterative parser: the events stop it
    // at kMaxJsonDepth, so the stack it takes stays small.
    constexpr unsigned kFlags = rapidjson::kParseInsituFlag;
    CheckedEvents events(d);
    rapidjson::InsituStringStream stream(buffer.data());
    rapidjson::Reader reader;
    parsed = !(ascii ? reader.Parse<kFlags>(stream, events)
                     : reader.Parse<kFlags | rapidjson::kParseValidateEncodingFlag>(stream, events))
                  .IsError();
    return parsed;
  };
  document.Populate(parse);
  if (!parsed) return std::nullopt;
  try {
    return ReadMachineDocument(JsonField(document, sourceName));
  } catch (const MachineFileError&) {
    return std::nullopt;
  }
}

}  // namespace machine
