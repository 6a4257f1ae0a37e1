#pragma once

// Advisory locks that tell two running programs (or two sessions of one) that a data file is
// already open somewhere.
//
// The session that opens a data file holds an exclusive lock on it for as long as the file is
// its current one. Anyone else asking fileInUse() for that path is told it is in use. The locks
// are advisory (flock): they guard against a second copy of this program, not against other
// programs, and the system drops them when the holder ends, so a crash never leaves a file
// locked.
//
// Saves replace a file by renaming a temporary file over it, which gives the path a new inode;
// the holder calls relock() after each save so the lock follows the path.

#include <string>

namespace quivra {

class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;

    // Takes an exclusive lock on `path` without waiting; false (holding nothing) when the file
    // cannot be opened or someone else holds a lock on it. Releases any lock held before.
    bool acquire(const std::string &path);
    // Takes the lock again on whatever file `path()` names now (after it was replaced).
    bool relock();
    void release();

    bool held() const { return m_fd >= 0; }
    const std::string &path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

// True when `path` exists and another holder has it locked. A file that does not exist or
// cannot be opened at all is not "in use": the callers' other checks report those.
bool fileInUse(const std::string &path);

} // namespace quivra
