#include "tests/e2e/LqhostProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace lqe2e {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& outPath, const std::string& errPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> raw;
    for (const std::string& a : argv)
        raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

Result RunProcess(const std::vector<std::string>& argv)
{
    TempDir io;
    const std::string outPath = io / "stdout", errPath = io / "stderr";
    const pid_t pid = Spawn(argv, outPath, errPath);
    int status = 0;
    waitpid(pid, &status, 0);
    return Result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(outPath), ReadFile(errPath)};
}

Result RunLqhost(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{LQHOST_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
}

std::string Example(const std::string& name) { return std::string(QUILLON_EXAMPLES_DIR) + "/" + name; }

std::vector<std::string> SharedBoardFiles()
{
    const std::filesystem::path shared = std::filesystem::path(QUILLON_SHARED_DIR) / "boards";
    std::vector<std::string> boards;
    for (const char* kind : {"eagle", "kicad"})
        if (std::filesystem::is_directory(shared / kind))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(shared / kind))
                if (entry.path().extension() == ".brd" || entry.path().extension() == ".kicad_pcb")
                    boards.push_back(entry.path().string());
    std::sort(boards.begin(), boards.end());
    return boards;
}

std::string SharedMissing(const std::string& path)
{
    return std::filesystem::exists(path) ? "" : path + " is not here: the shared boards are read from beside the clone";
}

bool SharedRequired()
{
    const char* value = std::getenv("QUILLON_REQUIRE_SHARED");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TempDir::TempDir()
{
    char templ[] = "/tmp/lqtest.XXXXXX";
    if (::mkdtemp(templ) == nullptr)
        throw std::runtime_error("cannot make a scratch folder");
    m_path = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::List(const std::string& sub) const
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(sub.empty() ? m_path : m_path + "/" + sub))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string Attr(const Json& attributes, const std::string& name)
{
    for (const Json& a : attributes)
        if (a[0] == name)
            return a[1];
    return "";
}

// Which pins may end up with which nets: parts that swap gates across packages pool their pins
// by their attributes (in any order), other parts keep them to themselves.
std::string ClassOf(const Json& part, const Json& pin)
{
    std::string owner = "part " + part["ref"].get<std::string>();
    if (Attr(part["attributes"], "LQ_GATESWAP") == "2") {
        std::vector<Json> sorted(part["attributes"].begin(), part["attributes"].end());
        std::sort(sorted.begin(), sorted.end());
        owner = "attributes " + Json(sorted).dump();
    }
    return owner + " | " + Attr(pin["attributes"], "LQ_GATEGROUP") + " | " + Attr(pin["attributes"], "LQ_PINGROUP");
}

}  // namespace

std::map<std::string, std::string> NetOfPin(const Json& board)
{
    std::map<std::string, std::string> nets;
    for (const Json& net : board["nets"])
        for (const Json& ref : net["pins"])
            nets[ref[0].get<std::string>() + "." + ref[1].get<std::string>()] = net["name"];
    return nets;
}

std::vector<std::string> RoutedPins(const Json& board)
{
    std::vector<std::string> routed;
    for (const Json& part : board["parts"])
        for (const Json& pin : part["pins"]) {
            const long long x = part["at"][0].get<long long>() + pin["at"][0].get<long long>();
            const long long y = part["at"][1].get<long long>() + pin["at"][1].get<long long>();
            const long long x1 = pin["pad"][0], y1 = pin["pad"][1], x2 = pin["pad"][2], y2 = pin["pad"][3];
            auto inside = [&](const Json& p) {
                const long long px = p[0], py = p[1];
                return px >= x + std::min(x1, x2) && px <= x + std::max(x1, x2) && py >= y + std::min(y1, y2) &&
                       py <= y + std::max(y1, y2);
            };
            for (const Json& t : board["copper"]["tracks"])
                if (inside(t["from"]) || inside(t["to"])) {
                    routed.push_back(part["ref"].get<std::string>() + "." + Attr(pin["attributes"], "LQ_PIN"));
                    break;
                }
        }
    return routed;
}

std::string IllegalMoves(const Json& before, const Json& after, const std::vector<std::string>& routed)
{
    auto counts = [](const Json& board) {
        std::map<std::string, std::size_t> n;
        for (const Json& net : board["nets"])
            n[net["name"]] = net["pins"].size();
        return n;
    };
    if (counts(before) != counts(after))
        return "the pin counts of the nets differ";
    const auto was = NetOfPin(before), now = NetOfPin(after);
    std::map<std::string, std::multiset<std::string>> classBefore, classAfter;
    for (const Json& part : before["parts"])
        for (const Json& pin : part["pins"]) {
            const std::string name = part["ref"].get<std::string>() + "." + Attr(pin["attributes"], "LQ_PIN");
            const std::string oldNet = was.count(name) ? was.at(name) : "", newNet = now.count(name) ? now.at(name) : "";
            classBefore[ClassOf(part, pin)].insert(oldNet);
            classAfter[ClassOf(part, pin)].insert(newNet);
            if (oldNet == newNet)
                continue;
            std::string type = Attr(pin["attributes"], "LQ_PINTYPE");
            std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::toupper(c); });
            if (Attr(pin["attributes"], "LQ_PINGROUP").empty() || type == "PWR")
                return name + " moved without a pin group or as a power pin";
            if (std::find(routed.begin(), routed.end(), name) != routed.end())
                return name + " is routed and moved";
        }
    for (const auto& [key, nets] : classBefore)
        if (classAfter[key] != nets)
            return "the nets of the pins of " + key + " are not a permutation of the nets before";
    return "";
}

}  // namespace lqe2e
