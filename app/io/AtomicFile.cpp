#include "app/io/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include <fmt/core.h>

#include "app/core/Errors.h"

namespace lq {

namespace {

std::string DirOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void Fail(const std::string& path, const char* what, int error)
{
    throw IoError(fmt::format("{}: {}: {}", path, what, std::strerror(error)));
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncDir(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

OutputBatch::~OutputBatch() { Discard(); }

void OutputBatch::Add(const std::string& path, std::string content)
{
    for (Output& o : m_outputs)
        if (o.path == path) {
            o.content = std::move(content);
            return;
        }
    m_outputs.push_back(Output{path, std::move(content), {}});
}

std::vector<std::string> OutputBatch::Paths() const
{
    std::vector<std::string> paths;
    for (const Output& o : m_outputs)
        paths.push_back(o.path);
    return paths;
}

void OutputBatch::Stage(Output& output)
{
    const std::string dir = DirOf(output.path);
    // Make missing folders, outermost first, remembering them to take back on failure.
    std::vector<std::string> missing;
    for (std::string d = dir; !d.empty() && d != "." && d != "/"; d = DirOf(d)) {
        struct stat st {};
        if (::stat(d.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                throw IoError(fmt::format("{}: cannot write: {} is not a folder", output.path, d));
            break;
        }
        missing.push_back(d);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST)
            Fail(output.path, ("cannot make the folder " + *it).c_str(), errno);
        m_madeDirs.push_back(*it);
    }

    struct stat target {};
    mode_t mode = NewFileMode();
    if (::stat(output.path.c_str(), &target) == 0) {
        if (S_ISDIR(target.st_mode))
            throw IoError(fmt::format("{}: cannot write: it is a folder", output.path));
        mode = target.st_mode & 07777;
    }
    std::string temp = dir + "/." + BaseOf(output.path) + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(output.path, "cannot write", errno);
    output.temp = temp;
    const bool ok = WriteAll(fd, output.content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok)
        Fail(output.path, "cannot write", ok ? errno : error);
}

void OutputBatch::Discard()
{
    for (Output& o : m_outputs) {
        if (!o.temp.empty())
            ::unlink(o.temp.c_str());
        o.temp.clear();
    }
    for (auto it = m_madeDirs.rbegin(); it != m_madeDirs.rend(); ++it)
        ::rmdir(it->c_str());
    m_madeDirs.clear();
}

void OutputBatch::Commit()
{
    try {
        for (Output& o : m_outputs)
            Stage(o);
    } catch (...) {
        Discard();
        throw;
    }
    std::set<std::string> dirs;
    for (Output& o : m_outputs) {
        if (::rename(o.temp.c_str(), o.path.c_str()) != 0) {
            const int error = errno;
            Discard();
            Fail(o.path, "cannot replace", error);
        }
        o.temp.clear();
        dirs.insert(DirOf(o.path));
    }
    for (const std::string& d : dirs)
        SyncDir(d);
    m_outputs.clear();
    m_madeDirs.clear();
}

void WriteFileAtomically(const std::string& path, std::string content)
{
    OutputBatch batch;
    batch.Add(path, std::move(content));
    batch.Commit();
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string NormalPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path), ec);
    return ec ? path : p.string();
}

bool SamePath(const std::string& a, const std::string& b) { return NormalPath(a) == NormalPath(b) || SameFile(a, b); }

}  // namespace lq
