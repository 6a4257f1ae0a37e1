#include "files/filelock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quivra {

FileLock::~FileLock()
{
    release();
}

FileLock::FileLock(FileLock &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

bool FileLock::acquire(const std::string &path)
{
    release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool FileLock::relock()
{
    const std::string path = m_path;
    if (path.empty())
        return false;
    // Open the new file before letting go of the old one, so the lock is never dropped for
    // longer than the swap takes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat now
    {
    }, held{};
    if (m_fd >= 0 && ::fstat(fd, &now) == 0 && ::fstat(m_fd, &held) == 0 &&
        now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
        ::close(fd); // still the same file: the lock held is the right one
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    return true;
}

void FileLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor drops its flock
    m_fd = -1;
    m_path.clear();
}

bool fileInUse(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool busy = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        busy = errno == EWOULDBLOCK;
    ::close(fd); // also drops the shared lock just taken
    return busy;
}

} // namespace quivra
