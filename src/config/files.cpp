#include "config/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "config/errors.h"

namespace viv {

namespace {

[[noreturn]] void Fail(const std::string& fileName, int error) {
  throw EVivarion(fileName + ": cannot write the file: " + std::strerror(error));
}

// Moves tmp to target without replacing an existing target. Returns errno, 0 on success.
int RenameNoReplace(const std::string& tmp, const std::string& target) {
#ifdef RENAME_NOREPLACE  // Linux; the browser's file system has only the link below
  if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  // File systems without the flag: a hard link also refuses an existing name.
  if (link(tmp.c_str(), target.c_str()) != 0) return errno;
  unlink(tmp.c_str());
  return 0;
}

// The folder part of a file name ("" or ending in "/") and the temporary-name prefix of
// saves to it: ".NAME.vivarion-", so that a killed save's leftover is known as its own.
std::pair<std::string, std::string> TemporaryPrefix(const std::string& fileName) {
  const size_t cut = fileName.find_last_of('/');
  std::string folder = cut == std::string::npos ? "" : fileName.substr(0, cut + 1);
  std::string base = cut == std::string::npos ? fileName : fileName.substr(cut + 1);
  base.resize(std::min<size_t>(base.size(), 200));  // room for the rest within a name's 255 bytes
  return {folder, "." + base + ".vivarion-"};
}

// Removes what saves to fileName that were killed before their rename left behind.
void RemoveLeftovers(const std::string& fileName) {
  const auto [folder, prefix] = TemporaryPrefix(fileName);
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  std::vector<std::string> leftovers;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) leftovers.push_back(name);
  }
  closedir(dir);
  for (const std::string& name : leftovers) unlink((folder + name).c_str());
}

// Makes and removes a temporary file from pattern ("...XXXXXX"): 0, or the errno that stopped it.
int Probe(std::string pattern) {
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return errno;
  close(fd);
  unlink(pattern.c_str());
  return 0;
}

}  // namespace

std::string ReadRegularFile(const std::string& fileName, uint64_t maxBytes, const std::string& what) {
  // Opened without blocking, so that a FIFO with no writer is refused rather than waited on.
  const int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw EVivarion(fileName + ": cannot open the file");
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    close(fd);
    throw EVivarion(fileName + (folder ? ": this is a folder, not " : ": this is not a regular file, not ") + what);
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    close(fd);
    throw EVivarion(fileName + ": the file is too large for " + what + " (" + std::to_string(st.st_size) +
                    " bytes, at most " + std::to_string(maxBytes) + ")");
  }
  std::string content(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  while (got < content.size()) {
    const ssize_t n = read(fd, content.data() + got, content.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      throw EVivarion(fileName + ": cannot read the file: " + std::strerror(error));
    }
    if (n == 0) break;  // it shrank while read
    got += static_cast<size_t>(n);
  }
  close(fd);
  content.resize(got);
  return content;
}

bool IsRegularFile(const std::string& fileName) {
  struct stat st {};
  return stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void CheckWritable(const std::string& fileName) {
  if (fileName.empty()) throw EVivarion("an output needs a file name");
  struct stat st {};
  if (stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Fail(fileName, EISDIR);
  if (lstat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    throw EVivarion(fileName + ": this is not a regular file; outputs are written to regular files only");
  const auto [folder, prefix] = TemporaryPrefix(fileName);
  if (const int error = Probe(folder + prefix + "XXXXXX")) Fail(fileName, error);
}

void CheckWritableFolder(const std::string& folder) {
  auto fail = [&](int error) { throw EVivarion(folder + ": cannot write into the folder: " + std::strerror(error)); };
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0) fail(errno);
  if (!S_ISDIR(st.st_mode)) fail(ENOTDIR);
  if (const int error = Probe(folder + "/.vivarion-XXXXXX")) fail(error);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code ea, eb;
  namespace fs = std::filesystem;
  const fs::path ca = fs::weakly_canonical(fs::absolute(a, ea), ea), cb = fs::weakly_canonical(fs::absolute(b, eb), eb);
  return ea || eb ? a == b : ca == cb;
}

void UnlinkIfLink(const std::string& fileName) {
  struct stat st {};
  if (lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(fileName.c_str());
}

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return lstat(fileName.c_str(), &st) == 0;
}

std::string MakeTemporaryBeside(const std::string& fileName) {
  RemoveLeftovers(fileName);
  const auto [folder, prefix] = TemporaryPrefix(fileName);
  std::string tmp = folder + prefix + "XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) Fail(fileName, errno);
  close(fd);
  return tmp;
}

void MoveIntoPlace(const std::string& temporary, const std::string& fileName) {
  // Readable by others as any file the user makes (mkstemp made it private).
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temporary.c_str(), 0644 & ~mask);
  if (rename(temporary.c_str(), fileName.c_str()) == 0) return;
  const int error = errno;
  unlink(temporary.c_str());
  Fail(fileName, error);
}

bool WriteFileAtomically(const std::string& fileName, const std::string& content, bool noReplace) {
  RemoveLeftovers(fileName);
  const auto [folder, prefix] = TemporaryPrefix(fileName);
  std::string tmp = folder + prefix + "XXXXXX";
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
