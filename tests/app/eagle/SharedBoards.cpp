#include "tests/app/eagle/SharedBoards.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace lqeagle {

namespace fs = std::filesystem;

ProcessResult RunProcess(const std::vector<std::string>& argv)
{
    ScratchFolder io;
    const std::string outPath = io / "stdout", errPath = io / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = argv;
    std::vector<char*> raw;
    for (std::string& a : args)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + args[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ProcessResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    return r;
}

ProcessResult RunLqhost(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{LQHOST_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
}

std::string SharedEagleDir()
{
    const fs::path dir = fs::path(QUILLON_SHARED_DIR) / "boards" / "eagle";
    std::error_code ec;
    return fs::is_directory(dir, ec) ? fs::weakly_canonical(dir).string() : std::string();
}

std::vector<std::string> SharedEaglePairs()
{
    std::vector<std::string> stems;
    const std::string dir = SharedEagleDir();
    if (dir.empty())
        return stems;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path p = entry.path();
        if (p.extension() == ".brd" && fs::exists(fs::path(p).replace_extension(".sch")))
            stems.push_back(p.stem().string());
    }
    std::sort(stems.begin(), stems.end());
    return stems;
}

std::string Xmllint()
{
    for (const char* candidate : {"/usr/bin/xmllint", "/usr/local/bin/xmllint"})
        if (fs::exists(candidate))
            return candidate;
    return "";
}

std::multiset<std::string> DtdErrors(const std::string& file)
{
    const fs::path dtd = fs::path(QUILLON_SHARED_DIR) / "reference" / "eagle-9.dtd";
    const ProcessResult r = RunProcess({Xmllint(), "--noout", "--dtdvalid", dtd.string(), file});
    std::multiset<std::string> errors;
    std::istringstream in(r.err);
    static const std::regex kPlace(R"(^.*?:[0-9]+: )");
    for (std::string line; std::getline(in, line);)
        if (line.find("error") != std::string::npos && line.find("does not validate") == std::string::npos)
            errors.insert(std::regex_replace(line, kPlace, ""));
    return errors;
}

ScratchFolder::ScratchFolder()
{
    char pattern[] = "/tmp/lqeagle.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr)
        throw std::runtime_error("cannot make a scratch folder");
    m_path = made;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace lqeagle
