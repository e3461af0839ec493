// Running lqhost as a process, and what the tests check on the boards it writes.
#pragma once
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace lqe2e {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs lqhost with the arguments; stdout and stderr are captured.
Result RunLqhost(const std::vector<std::string>& args);

std::string Example(const std::string& name);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// A fresh folder under /tmp, removed with its contents afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }
    std::vector<std::string> List() const;  // names, sorted, dot files included

private:
    std::string m_path;
};

using Json = nlohmann::json;

// The net of each pin ("U1.3" -> "N5"); unconnected pins are absent.
std::map<std::string, std::string> NetOfPin(const Json& board);
// Pins per net.
std::map<std::string, std::size_t> PinCounts(const Json& board);
// Pins with a track end on their pad.
std::vector<std::string> RoutedPins(const Json& board);
// Why the optimised board is not a legal permutation of the input, or "" when it is: every net
// keeps its pin count; only signal pins with a pin group and no copper move; and within each
// class of pins that may take each other's places (same gate group and pin group, on one part
// or on parts that swap gates across packages with the same attributes) the nets form the
// same multiset as before.
std::string IllegalMoves(const Json& before, const Json& after);

}  // namespace lqe2e
