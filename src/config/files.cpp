#include "config/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "config/errors.h"

namespace viv {

namespace {

[[noreturn]] void Fail(const std::string& fileName, int error) {
  throw EVivarion(fileName + ": cannot write the file: " + std::strerror(error));
}

// Moves tmp to target without replacing an existing target. Returns errno, 0 on success.
int RenameNoReplace(const std::string& tmp, const std::string& target) {
  if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without the flag: a hard link also refuses an existing name.
  if (link(tmp.c_str(), target.c_str()) != 0) return errno;
  unlink(tmp.c_str());
  return 0;
}

}  // namespace

bool FileExists(const std::string& fileName) {
  struct stat st;
  return lstat(fileName.c_str(), &st) == 0;
}

bool WriteFileAtomically(const std::string& fileName, const std::string& content, bool noReplace) {
  size_t cut = fileName.find_last_of('/');
  std::string folder = cut == std::string::npos ? "" : fileName.substr(0, cut + 1);
  std::string tmp = folder + ".vivarion-XXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) Fail(fileName, errno);
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = n < 0 ? errno : EIO;
      close(fd);
      unlink(tmp.c_str());
      Fail(fileName, error);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  fchmod(
      fd, 0644 & ~[] {
        mode_t m = umask(0);
        umask(m);
        return m;
      }());
  if (fsync(fd) != 0 || close(fd) != 0) {
    int error = errno;
    unlink(tmp.c_str());
    Fail(fileName, error);
  }
  int error = noReplace ? RenameNoReplace(tmp, fileName) : (rename(tmp.c_str(), fileName.c_str()) == 0 ? 0 : errno);
  if (error != 0) {
    unlink(tmp.c_str());
    if (noReplace && error == EEXIST) return false;
    Fail(fileName, error);
  }
  return true;
}

}  // namespace viv
