#include "app/io/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include <fmt/core.h>

#include "app/core/Errors.h"
#include "app/io/InputFile.h"

namespace lq {

namespace {

volatile std::sig_atomic_t g_committed = 0;

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

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that an interrupted batch is not
// left half renamed or with temporary files; they are delivered when it ends.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&held, s);
        ::pthread_sigmask(SIG_BLOCK, &held, &m_before);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_before;
};

bool CopyFile(const std::string& from, const std::string& to, mode_t mode)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    bool ok = out >= 0;
    char buffer[1 << 16];
    for (ssize_t n; ok && (n = ::read(in, buffer, sizeof buffer)) != 0;)
        ok = n > 0 ? WriteAll(out, std::string(buffer, static_cast<std::size_t>(n))) : errno == EINTR;
    ok = ok && ::fsync(out) == 0;
    ::close(in);
    if (out >= 0 && (::close(out) != 0 || !ok))
        ::unlink(to.c_str());
    return ok;
}

// Where an output lands: the path, or the file a link leads to.
std::string Target(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    return ec ? path : resolved.string();
}

void SyncDir(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Whether a name leads into /proc, as /dev/stdout, /dev/fd/1 and /proc/self/fd/1 do: a file
// renamed there would replace what this process's descriptor leads to, and cut the descriptor off.
bool IsProcessEntry(std::string path)
{
    namespace fs = std::filesystem;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        const fs::path parent = fs::weakly_canonical(fs::absolute(fs::path(path)).parent_path(), ec);
        if (!ec && (parent == "/proc" || parent.string().starts_with("/proc/")))
            return true;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0)
            return false;
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : (parent / target).string();
    }
    return false;
}

}  // namespace

std::string OutputTargetProblem(const std::string& path)
{
    if (path.empty())
        return "the file name is empty";
    if (IsProcessEntry(path))
        return "a descriptor of this process, not a file; give - for standard output where an option offers it";
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        // A file where the name wants a folder: no write could succeed, so it is said before any
        // work. Otherwise a new file; whether its folder takes it shows when it is written.
        if (errno == ENOTDIR)
            for (std::string d = DirOf(path); !d.empty() && d != "." && d != "/"; d = DirOf(d)) {
                struct stat st {};
                if (::stat(d.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                    return fmt::format("cannot write: {} is not a folder", d);
            }
        return "";
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "a link that leads nowhere; lqhost writes regular files only";
    if (S_ISREG(st.st_mode))
        return "";
    return fmt::format("{}{}, not a regular file; lqhost writes regular files only", S_ISLNK(link.st_mode) ? "a link to " : "",
                       FileKind(st.st_mode));
}

void CheckOutputTarget(const std::string& path, const std::string& option)
{
    const std::string problem = OutputTargetProblem(path);
    if (!problem.empty())
        throw IoError(fmt::format("{}{}: {}", option.empty() ? "" : option + " ", path, problem));
}

OutputBatch::~OutputBatch() { Discard(); }

void OutputBatch::Add(const std::string& path, std::string content)
{
    for (Output& o : m_outputs)
        if (o.path == path) {
            o.content = std::move(content);
            return;
        }
    m_outputs.push_back(Output{path, std::move(content), {}, {}, {}});
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
    CheckOutputTarget(output.path, "");
    output.target = Target(output.path);
    const std::string dir = DirOf(output.target);
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
    if (::stat(output.target.c_str(), &target) == 0) {
        mode = target.st_mode & 07777;
        // In a sticky folder only the owner of a file (or of the folder) may replace it; found
        // now, before any output is renamed.
        struct stat folder {};
        const uid_t me = ::geteuid();
        if (::stat(dir.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 && me != 0 && me != target.st_uid &&
            me != folder.st_uid)
            throw IoError(fmt::format("{}: cannot replace: it belongs to another user in a sticky folder", output.path));
    }
    std::string temp = dir + "/." + BaseOf(output.target) + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(output.path, "cannot write", errno);
    output.temp = temp;
    const bool ok = WriteAll(fd, output.content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok)
        Fail(output.path, "cannot write", ok ? errno : error);
}

// A second name for the file an output replaces, so that it can be put back.
void OutputBatch::Keep(Output& output)
{
    struct stat st {};
    if (::lstat(output.target.c_str(), &st) != 0)
        return;
    const std::string kept = output.temp + ".old";
    // A second link keeps the very file; where links are not to be had (some removable media),
    // a copy of its bytes and mode does.
    if (::link(output.target.c_str(), kept.c_str()) != 0 && !CopyFile(output.target, kept, st.st_mode & 07777))
        Fail(output.path, "cannot keep the file it replaces until every output is in place", errno);
    output.kept = kept;
}

void OutputBatch::Undo(std::size_t renamed)
{
    for (std::size_t i = 0; i < renamed; ++i) {
        Output& o = m_outputs[i];
        if (!o.kept.empty()) {
            if (::rename(o.kept.c_str(), o.target.c_str()) == 0)
                o.kept.clear();
        } else {
            ::unlink(o.target.c_str());
        }
    }
}

void OutputBatch::Discard()
{
    for (Output& o : m_outputs) {
        if (!o.temp.empty())
            ::unlink(o.temp.c_str());
        if (!o.kept.empty())
            ::unlink(o.kept.c_str());
        o.temp.clear();
        o.kept.clear();
    }
    for (auto it = m_madeDirs.rbegin(); it != m_madeDirs.rend(); ++it)
        ::rmdir(it->c_str());
    m_madeDirs.clear();
}

void OutputBatch::Commit()
{
    const SignalsHeld held;
    try {
        for (Output& o : m_outputs)
            Stage(o);
        // The last rename needs nothing to fall back on: nothing follows it.
        for (std::size_t i = 0; i + 1 < m_outputs.size(); ++i)
            Keep(m_outputs[i]);
    } catch (...) {
        Discard();
        throw;
    }
    const RenameStep rename = m_rename != nullptr ? m_rename : &::rename;
    std::set<std::string> dirs;
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        Output& o = m_outputs[i];
        if (rename(o.temp.c_str(), o.target.c_str()) != 0) {
            const int error = errno;
            Undo(i);
            Discard();
            throw IoError(fmt::format("{}: cannot replace: {}{}", o.path, std::strerror(error),
                                      i > 0 ? "; the outputs already written were put back as they were" : ""));
        }
        o.temp.clear();
        dirs.insert(DirOf(o.target));
    }
    g_committed = 1;
    for (Output& o : m_outputs)
        if (!o.kept.empty())
            ::unlink(o.kept.c_str());
    for (const std::string& d : dirs)
        SyncDir(d);
    m_outputs.clear();
    m_madeDirs.clear();
}

bool OutputsCommitted() { return g_committed != 0; }

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
