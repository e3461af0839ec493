#include "app/io/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fmt/core.h>

#include "app/core/Errors.h"

namespace lq {

namespace {
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};
}  // namespace

const char* FileKind(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return "a regular file";
    case S_IFDIR: return "a folder";
    case S_IFIFO: return "a FIFO";
    case S_IFCHR: return "a character device";
    case S_IFBLK: return "a block device";
    case S_IFSOCK: return "a socket";
    case S_IFLNK: return "a symbolic link";
    default: return "a special file";
    }
}

std::string ReadInputFile(const std::string& path, std::size_t maxBytes)
{
    if (path.empty())
        throw IoError("an input file name is empty");
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode) && !S_ISDIR(before.st_mode))
        throw IoError(fmt::format("{}: not a regular file ({}); only regular files are read", path, FileKind(before.st_mode)));
    // Opening a FIFO or a terminal for reading would block before fstat could tell; O_NONBLOCK
    // makes the open return at once, and only a regular file is read.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        throw IoError(fmt::format("{}: cannot open: {}", path, std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw IoError(fmt::format("{}: cannot read: {}", path, std::strerror(errno)));
    if (S_ISDIR(st.st_mode))
        throw IoError(fmt::format("{}: is a directory, not a file", path));
    if (!S_ISREG(st.st_mode))
        throw IoError(fmt::format("{}: not a regular file ({}); only regular files are read", path, FileKind(st.st_mode)));
    if (static_cast<std::size_t>(st.st_size) > maxBytes)
        throw IoError(fmt::format("{}: too large ({} bytes; the limit is {})", path, st.st_size, maxBytes));
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError(fmt::format("{}: cannot read: {}", path, std::strerror(errno)));
        if (n == 0)
            break;  // shrank while we read; take what is there
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
}

}  // namespace lq
