#include "config/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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
  if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
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

bool IsRegularFile(const std::string& fileName) {
  struct stat st;
  return stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void CheckWritable(const std::string& fileName) {
  struct stat st;
  if (stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Fail(fileName, EISDIR);
  const auto [folder, prefix] = TemporaryPrefix(fileName);
  if (const int error = Probe(folder + prefix + "XXXXXX")) Fail(fileName, error);
}

void CheckWritableFolder(const std::string& folder) {
  auto fail = [&](int error) { throw EVivarion(folder + ": cannot write into the folder: " + std::strerror(error)); };
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) fail(errno);
  if (!S_ISDIR(st.st_mode)) fail(ENOTDIR);
  if (const int error = Probe(folder + "/.vivarion-XXXXXX")) fail(error);
}

bool FileExists(const std::string& fileName) {
  struct stat st;
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
