// Brevoni's portable engine: one control instance's behaviour, independent of
// COM and of the platform's file functions. Texts (sections, keys, values) are
// bytes in the file's ANSI code page; file names stay Unicode paths.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "inicontrol/engine/IniDocument.h"

namespace brevoni {

// What ReadINI yields for a missing file, section or key.
inline constexpr std::string_view kNotFound = "[ Not Found ]";

// A failure with a human-readable reason (UTF-8) that names the file.
class IniError : public std::runtime_error {
  using runtime_error::runtime_error;
};

// Where the bytes of INI files live: POSIX for native builds and tests, Win32
// in the control library.
class FileStore {
 public:
  virtual ~FileStore() = default;
  // nullopt when the file does not exist; throws IniError on other failures.
  virtual std::optional<std::string> Load(const std::filesystem::path& file) = 0;
  // Replaces the whole file in one atomic step (temporary file in the same
  // folder, flushed, renamed over it). Throws IniError and leaves the old file
  // untouched when that fails.
  virtual void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) = 0;
  // Texts come in the ANSI code page, but a file that starts with a UTF-8
  // signature holds UTF-8: these convert between the two. Without an ANSI
  // code page (POSIX) both are the identity.
  virtual std::string AnsiToUtf8(std::string_view text) { return std::string(text); }
  virtual std::string Utf8ToAnsi(std::string_view text) { return std::string(text); }
};

#ifndef _WIN32
std::unique_ptr<FileStore> MakeNativeFileStore();
#endif

// True when the two names denote the same file by their text: lexically
// normalised, and without regard to letter case on Windows.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b);

// One control instance: the stored file name and at most one open batch.
//
// Without a batch every call is one complete read or write of the named file,
// as the platform's profile functions do it, except that a write replaces the
// file atomically and leaves it untouched when it cannot be written.
//
// A batch (BeginUpdate .. CommitUpdate) holds one file in memory:
// - ReadINI, WriteINI and DeleteINI naming the batch's file (or naming none
//   while the stored name is that file) work on the memory copy; calls naming
//   any other file go to disk at once, as without a batch.
// - CommitUpdate writes the copy in one atomic replace, only when something
//   changed, and closes the batch whether it succeeds or fails; when it fails
//   the old file stays as it was and LastError() says why.
// - BeginUpdate while a batch is open drops the open batch's edits and starts
//   afresh; CancelUpdate drops them and closes it (no-op without a batch).
// - When the file cannot be read at BeginUpdate, the batch opens all the same:
//   reads find nothing, edits are collected, and CommitUpdate reports the
//   read failure without touching the file. A batch thus lands whole or not
//   at all.
// - The file is read once at BeginUpdate; changes that others make to it
//   before the commit are overwritten.
class IniSession {
 public:
  explicit IniSession(FileStore& files);

  // An empty file argument stands for the stored INIFileName.
  std::string ReadINI(std::string_view section, std::string_view key, const std::filesystem::path& file);
  void WriteINI(std::string_view section, std::string_view key, std::string_view data,
                const std::filesystem::path& file);
  // An empty key deletes the section: every section of that name.
  void DeleteINI(std::string_view section, std::string_view key, const std::filesystem::path& file);

  void BeginUpdate(const std::filesystem::path& file);
  bool CommitUpdate();
  void CancelUpdate();
  bool InUpdate() const { return batch_.has_value(); }

  // Reason (UTF-8) of the most recent failure; successful calls leave it as it is.
  const std::string& LastError() const { return lastError_; }

  const std::filesystem::path& INIFileName() const { return iniFileName_; }
  void SetINIFileName(std::filesystem::path file) { iniFileName_ = std::move(file); }

 private:
  struct Batch {
    std::filesystem::path file;
    IniDocument document;
    bool changed = false;
    std::string loadFailure;  // non-empty: the file could not be read
  };

  std::filesystem::path Choose(const std::filesystem::path& file);
  Batch* BatchFor(const std::filesystem::path& file);
  // Reads and parses the file; nullopt (with LastError set) when it cannot be read.
  std::optional<IniDocument> LoadDocument(const std::filesystem::path& file);
  // Applies one edit to the batch or, outside it, to the file on disk.
  template <typename Edit>
  void Modify(const std::filesystem::path& file, Edit edit);
  void Fail(std::string reason) { lastError_ = std::move(reason); }
  // A text given to the session, in the encoding of the document it goes to.
  std::string ForDocument(const IniDocument& document, std::string_view text);

  FileStore& files_;
  std::filesystem::path iniFileName_;
  std::optional<Batch> batch_;
  std::string lastError_;
};

}  // namespace brevoni
