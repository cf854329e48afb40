// Reading a machine file while it is parsed. A document of the whole file
// takes several times the file's size and as long again to build and free as
// the reading itself; here only one entry of a long list is a document at a
// time, read by the same functions as the whole document's entries.
#include <memory>

#include "platform/machine/machine_file_parts.h"

namespace machine {
namespace {

using Builder = nlohmann::detail::json_sax_dom_parser<nlohmann::json>;

enum class List { None, Drives, Volumes, MountPoints };

List ListNamed(const std::string& key) {
  if (key == "drives") return List::Drives;
  if (key == "volumes") return List::Volumes;
  if (key == "mountPoints") return List::MountPoints;
  return List::None;
}

const char* NameOf(List list) {
  switch (list) {
    case List::Drives:
      return "drives";
    case List::Volumes:
      return "volumes";
    case List::MountPoints:
      return "mountPoints";
    case List::None:
      break;
  }
  return "";
}

// Parser events: the members of the top level other than the three lists go
// to one document (`rest`); each entry of a list goes to a document of its
// own, which is read and dropped as soon as it is complete. Any event this
// reader does not take stops the parse, and the whole-document reader takes over.
class StreamingReader {
 public:
  StreamingReader(Machine& m, const std::string& sourceName)
      : m_(m), index_(m), source_(sourceName), restBuilder_(rest, false) {}

  nlohmann::json rest;

  bool null() { return Value([](Builder& b) { return b.null(); }); }
  bool boolean(bool v) { return Value([v](Builder& b) { return b.boolean(v); }); }
  bool number_integer(std::int64_t v) { return Value([v](Builder& b) { return b.number_integer(v); }); }
  bool number_unsigned(std::uint64_t v) { return Value([v](Builder& b) { return b.number_unsigned(v); }); }
  bool number_float(double v, const std::string& s) {
    return Value([v, &s](Builder& b) { return b.number_float(v, s); });
  }
  bool string(std::string& v) { return Value([&v](Builder& b) { return b.string(v); }); }
  bool binary(nlohmann::json::binary_t& v) { return Value([&v](Builder& b) { return b.binary(v); }); }

  bool start_object(std::size_t n) {
    if (depth_ == 0) {
      ++depth_;
      return restBuilder_.start_object(n);
    }
    return Open([n](Builder& b) { return b.start_object(n); });
  }
  bool start_array(std::size_t n) {
    if (depth_ == 0) return false;  // not a machine description object
    if (depth_ == 1 && pending_ != List::None) {
      // A list opens; its entries come one by one.
      current_ = pending_;
      pending_ = List::None;
      entries_ = 0;
      ++depth_;
      return true;
    }
    return Open([n](Builder& b) { return b.start_array(n); });
  }
  bool end_object() { return Close([](Builder& b) { return b.end_object(); }); }
  bool end_array() {
    if (depth_ == 2 && current_ != List::None && !entry_) {
      current_ = List::None;
      --depth_;
      return true;
    }
    return Close([](Builder& b) { return b.end_array(); });
  }
  bool key(std::string& k) {
    if (entry_) return entry_->key(k);
    if (depth_ == 1) {
      const List list = ListNamed(k);
      if (list != List::None) {
        // Each list once, and in the order they are read in.
        if (list <= last_) return false;
        last_ = pending_ = list;
        return true;
      }
    }
    return restBuilder_.key(k);
  }
  template <class Exception>
  bool parse_error(std::size_t, const std::string&, const Exception&) {
    return false;
  }

 private:
  // A value where a document expects one: part of the current entry, a whole
  // entry of a list, or part of the rest.
  template <class Event>
  bool Value(Event event) {
    if (pending_ != List::None) return false;  // a list that is no array
    if (entry_) return event(*entry_) && (entryDepth_ > 0 || ReadEntry());
    if (current_ != List::None) {
      StartEntry();
      return event(*entry_) && ReadEntry();
    }
    return event(restBuilder_);
  }
  template <class Event>
  bool Open(Event event) {
    if (pending_ != List::None) return false;
    if (++depth_ > kMaxJsonDepth) return false;
    if (!entry_ && current_ != List::None) StartEntry();
    if (entry_) {
      ++entryDepth_;
      return event(*entry_);
    }
    return event(restBuilder_);
  }
  template <class Event>
  bool Close(Event event) {
    --depth_;
    if (entry_) {
      if (!event(*entry_)) return false;
      return --entryDepth_ > 0 || ReadEntry();
    }
    return event(restBuilder_);
  }

  void StartEntry() {
    entryValue_ = nlohmann::json();
    entry_ = std::make_unique<Builder>(entryValue_, false);
    entryDepth_ = 0;
  }
  // Reads the entry just completed; false when it is not right, for the
  // whole-document reader to say what is wrong.
  bool ReadEntry() {
    entry_.reset();
    const JsonField field(entryValue_, std::string(NameOf(current_)) + "[" + std::to_string(entries_++) + "]", source_);
    try {
      switch (current_) {
        case List::Drives:
          ReadDriveEntry(field, m_, index_);
          break;
        case List::Volumes:
          ReadVolumeEntry(field, m_, index_);
          break;
        case List::MountPoints:
          ReadMountPointEntry(field, m_, index_);
          break;
        case List::None:
          return false;
      }
    } catch (const MachineFileError&) {
      return false;
    }
    return true;
  }

  Machine& m_;
  MachineIndex index_;
  const std::string& source_;
  Builder restBuilder_;
  std::size_t depth_ = 0;
  List last_ = List::None;     // the last list begun
  List pending_ = List::None;  // a list named, its value not yet begun
  List current_ = List::None;  // the list whose entries are being read
  std::size_t entries_ = 0;
  nlohmann::json entryValue_;
  std::unique_ptr<Builder> entry_;
  std::size_t entryDepth_ = 0;

 public:
  MachineIndex& index() { return index_; }
};

}  // namespace

std::optional<Machine> ReadMachineWhileParsing(const std::string& text, const std::string& sourceName) {
  if (text.find('\0') != std::string::npos) return std::nullopt;
  Machine m;
  StreamingReader reader(m, sourceName);
  if (!nlohmann::json::sax_parse(text, &reader) || !reader.rest.is_object()) return std::nullopt;
  try {
    const JsonField top(reader.rest, "", sourceName);
    ReadTopLevel(top, m);
    MachineIndex& index = reader.index();
    ReadPortSection(top, m, index);
    // A drive on a port that is not described: the whole-document reader names its entry.
    for (const Drive& d : m.drives) {
      if (d.placed && index.FindPort(d.placement.port) == nullptr) return std::nullopt;
    }
    ReadDeviceSections(top, m, index);
  } catch (const MachineFileError&) {
    return std::nullopt;
  }
  return m;
}

}  // namespace machine
