// What the tests over the shared real Eagle boards need: finding them, running lqhost and
// xmllint as processes, and scratch folders.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace lqeagle {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs argv[0] with the arguments, stdin from /dev/null, stdout and stderr captured.
ProcessResult RunProcess(const std::vector<std::string>& argv);
ProcessResult RunLqhost(const std::vector<std::string>& args);

// ../shared/boards/eagle, or "" when it cannot be found.
std::string SharedEagleDir();
// The stems of the board/schematic pairs there, sorted.
std::vector<std::string> SharedEaglePairs();

// The path of xmllint, or "" when it is not installed.
std::string Xmllint();
// The validity errors xmllint reports for file against the Eagle 9 DTD, without their file and
// line, so that a written file can be compared with its original.
std::multiset<std::string> DtdErrors(const std::string& file);

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace lqeagle
