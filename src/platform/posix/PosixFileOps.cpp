// SPDX-License-Identifier: MIT
#include "PosixFileOps.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace shiftloom::platform {
namespace {

int fd(FileHandle file)
{
    return static_cast<int>(file.value);
}

FileError lastError()
{
    return fileErrorFromErrno(errno);
}

FileError setLock(FileHandle file, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end of the file, however far it grows
    lock.l_pid = 0;
    for (;;) {
        if (::fcntl(fd(file), F_OFD_SETLK, &lock) == 0)
            return FileError::None;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EACCES)
            return FileError::Busy;
        return lastError();
    }
}

} // namespace

FileError fileErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return FileError::None;
    case ENOENT:
    case ENOTDIR:
        return FileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::AccessDenied;
    case EISDIR:
        return FileError::IsDirectory;
    case EAGAIN:
        return FileError::Busy;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileError::NoSpace;
    case EEXIST:
        return FileError::Exists;
    case EIO:
    case ENXIO:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ETIMEDOUT:
        return FileError::Io;
    default:
        return FileError::Other;
    }
}

PosixFileOps::PosixFileOps(const PathMapper& paths)
    : m_paths(paths)
{
}

namespace {

int openFlags(OpenMode mode)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read:
    case OpenMode::ReadCreate:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case OpenMode::AppendCreate:
        // Read access too: the writer looks at the last byte to keep its line whole.
        flags |= O_RDWR | O_APPEND | O_CREAT;
        break;
    case OpenMode::AppendOnly:
        flags |= O_WRONLY | O_APPEND | O_CREAT;
        break;
    case OpenMode::ReadWriteCreate:
        flags |= O_RDWR | O_APPEND | O_CREAT;
        break;
    case OpenMode::CreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    return flags;
}

// The program's own files are the user's alone; the store's files are shared with Card-Warden
// and the other workers (the umask decides).
mode_t createMode(OpenMode mode)
{
    return mode == OpenMode::ReadWriteCreate || mode == OpenMode::CreateNew ? 0600 : 0666;
}

// Opens `name` relative to `folder` (AT_FDCWD: a path as it stands) as `mode` asks.
FileError openAt(int folder, const std::string& name, OpenMode mode, FileHandle& out)
{
    out = FileHandle{};
    const int flags = openFlags(mode);
    int handle = -1;
    do {
        handle = ::openat(folder, name.c_str(), flags, createMode(mode));
    } while (handle < 0 && errno == EINTR);
    if (handle < 0 && mode == OpenMode::ReadCreate && errno == ENOENT) {
        const int created = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (created < 0)
            return lastError();
        ::close(created);
        handle = ::openat(folder, name.c_str(), flags);
    }
    if (handle < 0)
        return lastError();
    struct stat info = {};
    if (::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(handle);
        return FileError::IsDirectory;
    }
    out.value = handle;
    return FileError::None;
}

} // namespace

FileError PosixFileOps::open(std::string_view path, OpenMode mode, FileHandle& out)
{
    return openAt(AT_FDCWD, m_paths.toHost(path), mode, out);
}

FileError PosixFileOps::openGuarded(std::string_view path, std::string_view marker, OpenMode mode, FileHandle& out)
{
    out = FileHandle{};
    const std::string host = m_paths.toHost(path);
    const std::size_t slash = host.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : host.substr(0, slash);
    const std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    // One descriptor of the folder for both look-ups: a mount in between cannot mix them.
    const int folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return lastError();
    struct stat info = {};
    FileError error = FileError::NotAStore;
    if (::fstatat(folder, m_paths.toHost(marker).c_str(), &info, 0) == 0 && !S_ISDIR(info.st_mode))
        error = openAt(folder, name, mode, out);
    else if (errno != ENOENT && errno != ENOTDIR && errno != 0)
        error = lastError();
    ::close(folder);
    return error;
}

FileError PosixFileOps::tryLock(FileHandle file, LockKind kind)
{
    return setLock(file, kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK);
}

void PosixFileOps::unlock(FileHandle file)
{
    setLock(file, F_UNLCK);
}

FileError PosixFileOps::size(FileHandle file, std::uint64_t& out)
{
    struct stat info = {};
    if (::fstat(fd(file), &info) != 0)
        return lastError();
    out = static_cast<std::uint64_t>(info.st_size);
    return FileError::None;
}

FileError PosixFileOps::readAt(
    FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd(file), buffer + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return FileError::None;
}

FileError PosixFileOps::append(FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    // One write() for the whole text: with O_APPEND the kernel places it at the end in one step.
    // A short write (disk full) is reported as it is; the caller decides what to keep.
    for (;;) {
        const ssize_t n = ::write(fd(file), data, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        written = static_cast<std::size_t>(n);
        return FileError::None;
    }
}

FileError PosixFileOps::truncate(FileHandle file, std::uint64_t length)
{
    if (::ftruncate(fd(file), static_cast<off_t>(length)) != 0)
        return lastError();
    return FileError::None;
}

FileError PosixFileOps::flush(FileHandle file)
{
    if (::fsync(fd(file)) != 0)
        return lastError();
    return FileError::None;
}

FileError PosixFileOps::identity(FileHandle file, std::string& out)
{
    struct stat info = {};
    if (::fstat(fd(file), &info) != 0)
        return lastError();
    out = std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":"
        + std::to_string(static_cast<unsigned long long>(info.st_ino));
    return FileError::None;
}

bool PosixFileOps::detached(FileHandle file, std::string_view path)
{
    struct stat open = {};
    struct stat named = {};
    if (::fstat(fd(file), &open) != 0)
        return true;
    if (::stat(m_paths.toHost(path).c_str(), &named) != 0)
        return true;
    return open.st_dev != named.st_dev || open.st_ino != named.st_ino;
}

void PosixFileOps::close(FileHandle file)
{
    ::close(fd(file));
}

FileError PosixFileOps::remove(std::string_view path)
{
    if (::unlink(m_paths.toHost(path).c_str()) != 0)
        return lastError();
    return FileError::None;
}

FileError PosixFileOps::replace(std::string_view from, std::string_view to)
{
    if (::rename(m_paths.toHost(from).c_str(), m_paths.toHost(to).c_str()) != 0)
        return lastError();
    return FileError::None;
}

FileError PosixFileOps::listFolder(std::string_view folder, std::vector<std::string>& names)
{
    names.clear();
    DIR* dir = ::opendir(m_paths.toHost(folder).c_str());
    if (!dir)
        return lastError();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    const FileError error = errno == 0 ? FileError::None : lastError();
    ::closedir(dir);
    return error;
}

FileError PosixFileOps::makeFolder(std::string_view folder)
{
    const std::string host = m_paths.toHost(folder);
    // Each missing folder on the way is made private; those that exist are left as they are.
    for (std::size_t at = host.find('/', 1);; at = host.find('/', at + 1)) {
        const std::string part = host.substr(0, at);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return lastError();
        if (at == std::string::npos)
            break;
    }
    struct stat info = {};
    if (::lstat(host.c_str(), &info) != 0)
        return lastError();
    // A folder someone else made (or a link in its place) is not the user's own place.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return FileError::AccessDenied;
    if ((info.st_mode & 0077) != 0 && ::chmod(host.c_str(), 0700) != 0)
        return lastError();
    return FileError::None;
}

FileError PosixFileOps::flushFolder(std::string_view folder)
{
    const int handle = ::open(m_paths.toHost(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return lastError();
    const FileError error = ::fsync(handle) == 0 ? FileError::None : lastError();
    ::close(handle);
    return error;
}

bool PosixFileOps::sameFile(std::string_view a, std::string_view b)
{
    const std::string hostA = m_paths.toHost(a);
    const std::string hostB = m_paths.toHost(b);
    if (hostA == hostB)
        return true;
    struct stat infoA = {};
    struct stat infoB = {};
    if (::stat(hostA.c_str(), &infoA) != 0 || ::stat(hostB.c_str(), &infoB) != 0)
        return false;
    return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

void PosixFileOps::pause(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

} // namespace shiftloom::platform
