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

std::string ReadInputFile(const std::string& path, std::size_t maxBytes)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw IoError(fmt::format("{}: cannot open: {}", path, std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw IoError(fmt::format("{}: cannot read: {}", path, std::strerror(errno)));
    if (S_ISDIR(st.st_mode))
        throw IoError(fmt::format("{}: is a directory, not a file", path));
    if (!S_ISREG(st.st_mode))
        throw IoError(fmt::format("{}: not a regular file", path));
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
