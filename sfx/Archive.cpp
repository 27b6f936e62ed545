#include "Archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace sfx {

namespace {

// The span as libarchive's input, with seeking for the formats that need it
// (zip's central directory, 7z's header at the end).
class SpanSource {
 public:
  explicit SpanSource(const ArchiveSpan& span) : span_(span) {}

  static la_ssize_t Read(archive*, void* self, const void** block) {
    return static_cast<SpanSource*>(self)->Read(block);
  }
  static la_int64_t Seek(archive*, void* self, la_int64_t offset, int whence) {
    return static_cast<SpanSource*>(self)->Seek(offset, whence);
  }
  static la_int64_t Skip(archive*, void* self, la_int64_t request) {
    return static_cast<SpanSource*>(self)->Skip(request);
  }

 private:
  la_ssize_t Read(const void** block) {
    const std::uint64_t left = span_.size - position_;
    const std::size_t wanted =
        left < sizeof buffer_ ? static_cast<std::size_t>(left) : sizeof buffer_;
    if (wanted == 0) return 0;
    const ssize_t got =
        pread(span_.fd, buffer_, wanted, static_cast<off_t>(span_.offset + position_));
    if (got < 0) return ARCHIVE_FATAL;
    position_ += static_cast<std::uint64_t>(got);
    *block = buffer_;
    return got;
  }

  la_int64_t Seek(la_int64_t offset, int whence) {
    la_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<la_int64_t>(position_);
    if (whence == SEEK_END) base = static_cast<la_int64_t>(span_.size);
    const la_int64_t target = base + offset;
    if (target < 0 || static_cast<std::uint64_t>(target) > span_.size) return ARCHIVE_FATAL;
    position_ = static_cast<std::uint64_t>(target);
    return target;
  }

  la_int64_t Skip(la_int64_t request) {
    if (request <= 0) return 0;
    const std::uint64_t left = span_.size - position_;
    const std::uint64_t skipped =
        static_cast<std::uint64_t>(request) < left ? static_cast<std::uint64_t>(request) : left;
    position_ += skipped;
    return static_cast<la_int64_t>(skipped);
  }

  ArchiveSpan span_;
  std::uint64_t position_ = 0;
  char buffer_[1 << 16];
};

struct ReaderDeleter {
  void operator()(archive* reader) const { archive_read_free(reader); }
};
struct WriterDeleter {
  void operator()(archive* writer) const { archive_write_free(writer); }
};
using Reader = std::unique_ptr<archive, ReaderDeleter>;
using Writer = std::unique_ptr<archive, WriterDeleter>;

[[noreturn]] void Fail(archive* handle, const std::string& what) {
  const char* reason = archive_error_string(handle);
  throw std::runtime_error(what + ": " + (reason ? reason : "unknown error"));
}

Reader OpenReader(SpanSource& source) {
  Reader reader(archive_read_new());
  if (!reader) throw std::runtime_error("out of memory");
  // Every archive format libarchive reads, but not mtree, raw and empty: they
  // take almost any input for an archive, and an mtree file names files on
  // this machine to take the contents from.
  for (auto support : {archive_read_support_format_7zip, archive_read_support_format_ar,
                       archive_read_support_format_cab, archive_read_support_format_cpio,
                       archive_read_support_format_iso9660, archive_read_support_format_lha,
                       archive_read_support_format_rar, archive_read_support_format_rar5,
                       archive_read_support_format_tar, archive_read_support_format_warc,
                       archive_read_support_format_xar, archive_read_support_format_zip})
    support(reader.get());
  archive_read_support_filter_all(reader.get());
  archive_read_set_read_callback(reader.get(), &SpanSource::Read);
  archive_read_set_seek_callback(reader.get(), &SpanSource::Seek);
  archive_read_set_skip_callback(reader.get(), &SpanSource::Skip);
  archive_read_set_callback_data(reader.get(), &source);
  if (archive_read_open1(reader.get()) != ARCHIVE_OK) Fail(reader.get(), "cannot read the archive");
  return reader;
}

// The next header; false at the end of the archive.
bool NextHeader(archive* reader, archive_entry*& entry) {
  const int result = archive_read_next_header(reader, &entry);
  if (result == ARCHIVE_EOF) return false;
  if (result < ARCHIVE_WARN) Fail(reader, "cannot read the archive");
  return true;
}

Member MemberOf(archive_entry* entry) {
  Member member;
  const char* path = archive_entry_pathname(entry);
  member.path = path ? path : "";
  if (const char* target = archive_entry_hardlink(entry)) {
    member.kind = MemberKind::hardlink;
    member.linkTarget = target;
    return member;
  }
  switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
      member.kind = MemberKind::file;
      break;
    case AE_IFDIR:
      member.kind = MemberKind::directory;
      break;
    case AE_IFLNK: {
      member.kind = MemberKind::symlink;
      const char* target = archive_entry_symlink(entry);
      member.linkTarget = target ? target : "";
      break;
    }
    default:
      member.kind = MemberKind::other;
  }
  return member;
}

bool SameMember(const Member& a, const Member& b) {
  return a.path == b.path && a.kind == b.kind && a.linkTarget == b.linkTarget;
}

void CopyData(archive* reader, archive* disk, const std::string& path) {
  const void* block = nullptr;
  size_t size = 0;
  la_int64_t offset = 0;
  for (;;) {
    const int result = archive_read_data_block(reader, &block, &size, &offset);
    if (result == ARCHIVE_EOF) return;
    if (result < ARCHIVE_WARN) Fail(reader, "cannot read " + path);
    if (archive_write_data_block(disk, block, size, offset) < ARCHIVE_WARN)
      Fail(disk, "cannot write " + path);
  }
}

constexpr int kExtractFlags = ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                              ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                              ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS;

void ExtractMembers(const ArchiveSpan& span, const std::vector<Member>& checked) {
  SpanSource source(span);
  const Reader reader = OpenReader(source);
  const Writer disk(archive_write_disk_new());
  if (!disk) throw std::runtime_error("out of memory");
  archive_write_disk_set_options(disk.get(), kExtractFlags);
  archive_write_disk_set_standard_lookup(disk.get());
  archive_entry* entry = nullptr;
  std::size_t index = 0;
  while (NextHeader(reader.get(), entry)) {
    // The same file is read twice; what is written must be what was checked.
    if (index >= checked.size() || !SameMember(MemberOf(entry), checked[index]))
      throw std::runtime_error("the archive changed while it was extracted");
    ++index;
    const std::string path = checked[index - 1].path;
    if (archive_write_header(disk.get(), entry) < ARCHIVE_WARN)
      Fail(disk.get(), "cannot create " + path);
    CopyData(reader.get(), disk.get(), path);
    if (archive_write_finish_entry(disk.get()) < ARCHIVE_WARN)
      Fail(disk.get(), "cannot write " + path);
  }
  if (index != checked.size())
    throw std::runtime_error("the archive changed while it was extracted");
}

}  // namespace

std::vector<Member> ListMembers(const ArchiveSpan& span) {
  SpanSource source(span);
  const Reader reader = OpenReader(source);
  std::vector<Member> members;
  archive_entry* entry = nullptr;
  while (NextHeader(reader.get(), entry)) {
    members.push_back(MemberOf(entry));
    if (archive_read_data_skip(reader.get()) < ARCHIVE_WARN)
      Fail(reader.get(), "cannot read " + members.back().path);
  }
  return members;
}

void ExtractArchive(const ArchiveSpan& span) {
  const auto members = ListMembers(span);
  if (const auto refusal = FindRefusal(members)) throw std::runtime_error("refused: " + *refusal);
  ExtractMembers(span, members);
}

}  // namespace sfx
