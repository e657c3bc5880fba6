// Brevoni's portable engine: one control instance's behaviour, independent of
// COM and of the platform's file functions. Texts (sections, keys, values)
// come and go as the caller's Unicode text; a file holds them in the ANSI
// code page or, after a UTF-8 signature, in UTF-8. File names stay Unicode
// paths.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "inicontrol/engine/IniDocument.h"

namespace brevoni {

// What ReadINI yields for a missing file, section or key.
inline constexpr std::wstring_view kNotFound = L"[ Not Found ]";

// A failure with a human-readable reason (UTF-8) that names the file.
class IniError : public std::runtime_error {
  using runtime_error::runtime_error;
};

// The atomic replace was refused because another program holds the file
// open (without letting it be replaced). Rewriting the file in place may
// still work: that is what the other program allows when it shares writing.
class FileHeldOpen : public IniError {
  using IniError::IniError;
};

// What tells one state of a file from another without reading it, as the
// platform's own profile cache decides: which file the name leads to, its
// size and its last-write time.
struct FileStamp {
  // The file the name leads to, in the store's terms (device and inode on
  // POSIX).
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;  // in the store's own units
  // A last-write time only changes as often as its clock ticks (every two
  // seconds on FAT volumes), so a write soon after another may leave it as
  // it was. A settled stamp was taken kSettleTime or more after the last
  // write: any later write gives the file a new last-write time.
  bool settled = false;

  bool operator==(const FileStamp& other) const {
    return volume == other.volume && index == other.index && size == other.size && lastWrite == other.lastWrite;
  }
};

inline constexpr std::chrono::seconds kSettleTime{2};

// A file's bytes, and its stamp as it was before they were read: a write
// meanwhile leaves a stamp that the next look at the file does not match.
struct FileContent {
  std::string bytes;
  FileStamp stamp;
};

// Where the bytes of INI files live: POSIX for native builds and tests, Win32
// in the control library.
class FileStore {
 public:
  virtual ~FileStore() = default;
  // Both give nullopt when the file does not exist and throw IniError on
  // other failures.
  virtual std::optional<FileContent> Load(const std::filesystem::path& file) = 0;
  virtual std::optional<FileStamp> Stamp(const std::filesystem::path& file) = 0;
  // Replaces the whole file in one atomic step (temporary file in the same
  // folder, flushed, renamed over it). Throws IniError and leaves the old file
  // untouched when that fails; FileHeldOpen when another program's open
  // handle refused the replace.
  virtual void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) = 0;
  // Writes the bytes over the existing file through a handle that shares
  // reading and writing, as the platform's profile functions do, and flushes
  // them. Not atomic: only for a single write that the atomic replace could
  // not make. Throws IniError when the file cannot be opened so or written.
  virtual void RewriteInPlace(const std::filesystem::path& file, std::string_view bytes);

  // The text in the ANSI code page, or nullopt when the code page cannot
  // hold it exactly (no best-fit or default characters stand in).
  virtual std::optional<std::string> ToAnsi(std::wstring_view text);
  virtual std::wstring FromAnsi(std::string_view bytes);
  // UTF-8 and back; bytes that are no UTF-8 read as U+FFFD each.
  virtual std::string ToUtf8(std::wstring_view text);
  virtual std::wstring FromUtf8(std::string_view bytes);
  // The defaults stand for a platform whose ANSI code page is Latin-1 (the
  // POSIX store and the tests' stores); the Win32 store uses the system's.
};

// The platform's own files: POSIX natively, Win32 in the Windows build (the
// control's file store).
std::unique_ptr<FileStore> MakeNativeFileStore();

// True when the two names denote the same file by their text: lexically
// normalised, and without regard to letter case on Windows.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b);

// One control instance: the stored file name and at most one open batch.
//
// Without a batch every call is one complete read or write of the named file,
// as the platform's profile functions do it, except that a write replaces the
// file atomically and leaves it untouched when it cannot be written. Only when
// another program holds the file open and lets others write to it, which
// refuses the replace, is a single write made in place, as the platform makes
// every write. The
// parsed image of each file is kept between calls and used again while the
// file's stamp shows it unchanged (an unsettled stamp is confirmed by reading
// the bytes again), so a change that anyone else makes is seen by the next
// call; writes and batches start from that image too, and a batch that
// changes nothing leaves it kept as it was.
//
// A batch (BeginUpdate .. CommitUpdate) holds one file in memory:
// - ReadINI, WriteINI and DeleteINI naming the batch's file (or naming none
//   while the stored name is that file) work on the memory copy; calls naming
//   any other file go to disk at once, as without a batch.
// - CommitUpdate writes the copy in one atomic replace, only when something
//   changed, and closes the batch whether it succeeds or fails; when it fails
//   the old file stays as it was and LastError() says why. A file held open
//   by another program refuses the commit: a batch is never written in place,
//   where a failure half-way would leave half of it.
// - BeginUpdate while a batch is open drops the open batch's edits and starts
//   afresh; CancelUpdate drops them and closes it (no-op without a batch).
// - When the file cannot be read at BeginUpdate, the batch opens all the same:
//   reads find nothing, edits are collected, and CommitUpdate reports the
//   read failure without touching the file. A batch thus lands whole or not
//   at all.
// - The file is read once at BeginUpdate. When it has changed by the commit
//   (its stamp is not the one read), CommitUpdate fails and leaves it as the
//   other writer left it.
//
// The encoding a file is written in follows from what it holds: the ANSI code
// page while the code page holds every text of it exactly (so the bytes are
// those of the platform's functions), else UTF-8 after a signature. A file
// thus turns UTF-8 with the first text that needs it and back to ANSI, for
// its readers that know nothing else, with the write after the last such text
// has gone.
class IniSession {
 public:
  // The most files whose images are kept, the least recently used going first.
  static constexpr std::size_t kKeptImages = 8;

  explicit IniSession(FileStore& files);

  // An empty file argument stands for the stored INIFileName.
  std::wstring ReadINI(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file);
  // Both give false when the file could not be written (LastError says why);
  // edits inside a batch always succeed.
  bool WriteINI(std::wstring_view section, std::wstring_view key, std::wstring_view data,
                const std::filesystem::path& file);
  // An empty key deletes the section: every section of that name.
  bool DeleteINI(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file);
  // The names of the file's sections and of a section's keys, as
  // IniDocument lists them; inside a batch, those of its edited copy.
  std::vector<std::wstring> ReadSections(const std::filesystem::path& file);
  std::vector<std::wstring> ReadKeys(std::wstring_view section, const std::filesystem::path& file);

  void BeginUpdate(const std::filesystem::path& file);
  bool CommitUpdate();
  void CancelUpdate();
  bool InUpdate() const { return batch_.has_value(); }
  // Whether calls naming the file work on the open batch's copy.
  bool Batches(const std::filesystem::path& file) const {
    return batch_ && SameFileName(batch_->image.file, file);
  }

  // Reason (UTF-8) of the most recent failure; successful calls leave it as it is.
  const std::string& LastError() const { return lastError_; }

  const std::filesystem::path& INIFileName() const { return iniFileName_; }
  void SetINIFileName(std::filesystem::path file) { iniFileName_ = std::move(file); }

 private:
  // A file's parsed image as last read or written by this session.
  struct Image {
    std::filesystem::path file;      // as the caller named it
    std::optional<FileStamp> stamp;  // nullopt: the file did not exist
    std::string bytes;               // what the document was parsed from
    IniDocument document;
  };
  struct Batch {
    // The file's image, taken out of the kept ones: the batch edits its
    // document, and it is kept again when the batch lands or changes nothing.
    Image image;
    bool changed = false;
    std::string loadFailure;  // non-empty: the file could not be read
  };

  std::filesystem::path Choose(const std::filesystem::path& file);
  Batch* BatchFor(const std::filesystem::path& file);
  // The file's current image, kept or read anew, made first in images_; nullptr
  // (with LastError set) when the file cannot be read.
  Image* CurrentImage(const std::filesystem::path& file);
  // Makes the image the most recently used one, in place of any other of its file.
  void Keep(Image image);
  // The stamp of a file just written, or nullopt when it cannot be taken:
  // without one, the file's image is not kept.
  std::optional<FileStamp> StampWritten(const std::filesystem::path& file);
  // After the image's bytes were written: its document and stamp become the
  // file's, the document parsed again when an edit was one the file's format
  // cannot hold.
  void MatchWrittenFile(Image& image);
  void Forget(const std::filesystem::path& file);
  // Closes the open batch, if any, without writing it.
  void CloseBatch();
  // Applies one edit to the batch or, outside it, to the file on disk.
  template <typename Edit>
  bool Modify(const std::filesystem::path& file, Edit edit);
  // The document of the batch or of the file as it is now; nullptr when the
  // file cannot be read.
  const IniDocument* DocumentToRead(const std::filesystem::path& file);
  // Writes a single call's bytes: atomically or, when another program holds
  // the file and shares writing, in place.
  void WriteSingle(const std::filesystem::path& file, std::string_view bytes);
  bool Fail(std::string reason) {
    lastError_ = std::move(reason);
    return false;
  }
  // A caller's text in the document's encoding: nullopt when the document is
  // in the ANSI code page and that cannot hold it.
  std::optional<std::string> Encode(const IniDocument& document, std::wstring_view text);
  std::wstring Decode(const IniDocument& document, std::string_view bytes);
  std::vector<std::wstring> DecodeAll(const IniDocument& document, const std::vector<std::string>& names);
  // The same document in UTF-8, for a text that the ANSI code page cannot hold.
  IniDocument InUtf8(const IniDocument& document);
  // The bytes of the file that will hold the document, in the encoding that
  // its texts need: a UTF-8 document that the ANSI code page holds whole is
  // written in ANSI again, and the image's document follows.
  std::string BytesOf(Image& image);

  FileStore& files_;
  std::filesystem::path iniFileName_;
  std::optional<Batch> batch_;
  std::list<Image> images_;  // the most recently used first
  std::string lastError_;
};

}  // namespace brevoni
