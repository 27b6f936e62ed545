#include "ResourceFormat.h"

#include <cstring>
#include <stdexcept>

namespace platform::resource_format {

namespace {

// Largest directory a reader accepts; far above what two payloads need, and it
// keeps a damaged size field from asking for gigabytes.
constexpr std::uint64_t kMaxDirectorySize = 1 << 20;

class Decoder {
 public:
  explicit Decoder(std::string_view bytes) : bytes_(bytes) {}

  template <class Number>
  bool Take(Number& value) {
    if (bytes_.size() - position_ < sizeof(Number)) return false;
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < sizeof(Number); ++i)
      result |= std::uint64_t{static_cast<unsigned char>(bytes_[position_ + i])} << (8 * i);
    position_ += sizeof(Number);
    value = static_cast<Number>(result);
    return true;
  }

  bool TakeText(std::string& text) {
    std::uint16_t length = 0;
    if (!Take(length) || bytes_.size() - position_ < length) return false;
    text.assign(bytes_.substr(position_, length));
    position_ += length;
    return true;
  }

  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

template <class Number>
void Put(std::string& out, Number value) {
  for (std::size_t i = 0; i < sizeof(Number); ++i)
    out += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, std::string_view text) {
  if (text.size() > 0xFFFF) throw std::invalid_argument("resource name or type too long");
  Put(out, static_cast<std::uint16_t>(text.size()));
  out += text;
}

struct Footer {
  std::uint64_t dataOffset = 0;
  std::uint64_t directoryOffset = 0;
  std::uint64_t directorySize = 0;
};

std::optional<Footer> DecodeFooter(std::string_view bytes, std::uint64_t fileSize) {
  Decoder decoder(bytes.substr(kMagic.size()));
  Footer footer;
  if (!decoder.Take(footer.dataOffset) || !decoder.Take(footer.directoryOffset) ||
      !decoder.Take(footer.directorySize))
    return std::nullopt;
  const std::uint64_t directoryEnd = fileSize - kFooterSize;
  if (footer.directorySize > kMaxDirectorySize || footer.directoryOffset > directoryEnd ||
      directoryEnd - footer.directoryOffset != footer.directorySize ||
      footer.dataOffset > footer.directoryOffset)
    return std::nullopt;
  return footer;
}

std::optional<std::vector<Entry>> DecodeDirectory(std::string_view bytes, const Footer& footer) {
  Decoder decoder(bytes);
  std::uint32_t count = 0;
  if (!decoder.Take(count)) return std::nullopt;
  std::vector<Entry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    Entry entry;
    if (!decoder.TakeText(entry.name) || !decoder.TakeText(entry.type) ||
        !decoder.Take(entry.language) || !decoder.Take(entry.offset) || !decoder.Take(entry.size))
      return std::nullopt;
    if (entry.offset < footer.dataOffset || entry.offset > footer.directoryOffset ||
        footer.directoryOffset - entry.offset < entry.size)
      return std::nullopt;
    entries.push_back(std::move(entry));
  }
  if (!decoder.AtEnd()) return std::nullopt;
  return entries;
}

}  // namespace

Layout ReadLayout(std::uint64_t fileSize, const ReadAt& read) {
  Layout layout;
  if (fileSize < kFooterSize) return layout;
  std::string footerBytes(kFooterSize, '\0');
  if (!read(fileSize - kFooterSize, footerBytes.size(), footerBytes.data())) return layout;
  if (std::string_view(footerBytes).substr(0, kMagic.size()) != kMagic) return layout;
  layout.state = State::damaged;
  const auto footer = DecodeFooter(footerBytes, fileSize);
  if (!footer) return layout;
  std::string directoryBytes(footer->directorySize, '\0');
  if (!read(footer->directoryOffset, directoryBytes.size(), directoryBytes.data())) return layout;
  auto entries = DecodeDirectory(directoryBytes, *footer);
  if (!entries) return layout;
  layout.state = State::valid;
  layout.imageSize = footer->dataOffset;
  layout.entries = std::move(*entries);
  return layout;
}

Layout ReadLayout(std::string_view file) {
  return ReadLayout(file.size(), [file](std::uint64_t offset, std::size_t size, char* out) {
    if (offset > file.size() || file.size() - offset < size) return false;
    std::memcpy(out, file.data() + offset, size);
    return true;
  });
}

std::string EncodeResources(std::uint64_t imageSize, const std::vector<NewResource>& resources) {
  std::string data;
  std::string directory;
  Put(directory, static_cast<std::uint32_t>(resources.size()));
  for (const auto& resource : resources) {
    PutText(directory, resource.name);
    PutText(directory, resource.type);
    Put(directory, resource.language);
    Put(directory, imageSize + data.size());
    Put(directory, static_cast<std::uint64_t>(resource.bytes.size()));
    data += resource.bytes;
  }
  if (directory.size() > kMaxDirectorySize) throw std::invalid_argument("too many resources");
  std::string footer(kMagic);
  Put(footer, imageSize);
  Put(footer, imageSize + data.size());
  Put(footer, static_cast<std::uint64_t>(directory.size()));
  return data + directory + footer;
}

}  // namespace platform::resource_format
