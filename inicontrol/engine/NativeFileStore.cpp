// The POSIX file store: native builds and their tests.
#ifndef _WIN32

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "inicontrol/engine/IniSession.h"

namespace brevoni {
namespace {

std::string Reason(const char* what, const std::filesystem::path& file, int error) {
  return std::string("cannot ") + what + " " + file.string() + ": " + std::strerror(error);
}

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& info) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  FileStamp stamp;
  stamp.volume = static_cast<std::uint64_t>(info.st_dev);
  stamp.index = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.lastWrite = Nanoseconds(info.st_mtim);
  stamp.settled = Nanoseconds(now) - stamp.lastWrite >= std::chrono::nanoseconds(kSettleTime).count();
  return stamp;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }
  int get() const { return fd_; }
  int Close() {
    int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

class NativeFileStore final : public FileStore {
 public:
  std::optional<FileContent> Load(const std::filesystem::path& file) override {
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
      if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
      throw IniError(Reason("read", file, errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw IniError(Reason("read", file, errno));
    FileContent content{{}, StampOf(info)};
    std::string& bytes = content.bytes;
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        throw IniError(Reason("read", file, errno));
      }
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
  }

  std::optional<FileStamp> Stamp(const std::filesystem::path& file) override {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
      throw IniError(Reason("read", file, errno));
    }
    return StampOf(info);
  }

  void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) override {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(temp.data()));
    if (fd.get() < 0) throw IniError(Reason("write", file, errno));
    auto fail = [&](int error) {
      fd.Close();
      ::unlink(temp.c_str());
      throw IniError(Reason("write", file, error));
    };
    // The new file keeps the old one's permissions.
    struct stat old {};
    ::fchmod(fd.get(), ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    for (std::size_t done = 0; done < bytes.size();) {
      ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(errno);
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) fail(errno);
    if (fd.Close() != 0) fail(errno);
    if (::rename(temp.c_str(), file.c_str()) != 0) {
      int error = errno;
      ::unlink(temp.c_str());
      throw IniError(Reason("replace", file, error));
    }
    // Make the rename itself durable.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
  }
};

}  // namespace

std::unique_ptr<FileStore> MakeNativeFileStore() { return std::make_unique<NativeFileStore>(); }

}  // namespace brevoni

#endif  // _WIN32
