#include "frame/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once its symbolic links are followed (also when the last one
// dangles); the path itself when it is no link.
std::string RealTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof(target) - 1);
    if (n <= 0) return path;
    const std::string next(target, static_cast<size_t>(n));
    path = next[0] == '/' ? next : Folder(path) + "/" + next;
  }
  return path;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Every byte from the start of the file, the rest cut off.
bool WriteAllAt0(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
}

bool ReadAll(const std::string& path, std::string& bytes) {
  FILE* f = fopen(path.c_str(), "rbe");
  if (!f) return false;
  char buf[65536];
  size_t n = 0;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) bytes.append(buf, n);
  const bool ok = !ferror(f);
  fclose(f);
  return ok;
}

// The fallback for a folder that takes no new file: the same bytes over the old ones, the
// rest cut off, flushed. The old bytes are read first and written back when the new ones
// cannot be written whole.
bool RewriteInPlace(const std::string& target, const std::string& bytes) {
  std::string original;
  if (!ReadAll(target, original)) return false;
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAllAt0(fd, bytes) && fsync(fd) == 0;
  if (!ok) WriteAllAt0(fd, original);
  ok = close(fd) == 0 && ok;
  return ok;
}

bool ReplaceThroughTemporary(const std::string& target, const std::string& bytes, mode_t mode, bool& no_temp) {
  std::string tmp = target + ".tmpXXXXXX";
  const int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) {
    no_temp = errno == EACCES || errno == EPERM || errno == EROFS;
    return false;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAllAt0(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tmp.c_str());
    return false;
  }
  const int dir = open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);  // the rename itself reaches the disk
    close(dir);
  }
  return true;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
  const std::string target = RealTarget(path);
  struct stat st;
  const bool exists = stat(target.c_str(), &st) == 0;
  const bool writable =
      exists && (st.st_mode & 0222) != 0 && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
  if (exists && (!S_ISREG(st.st_mode) || !writable)) {
    printf("Warning: could not write \"%s\": the file is read-only or not a file\n", path.c_str());
    return false;
  }
  bool no_temp = false;
  bool ok = ReplaceThroughTemporary(target, bytes, exists ? (st.st_mode & 07777) : NewFileMode(), no_temp);
  if (!ok && no_temp && exists) ok = RewriteInPlace(target, bytes);
  if (!ok) printf("Warning: could not write \"%s\": %s\n", path.c_str(), strerror(errno ? errno : EIO));
  return ok;
}
