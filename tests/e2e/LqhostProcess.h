// Running lqhost and other programs as processes, scratch folders, and what the tests check on
// the boards lqhost writes. Shared by the end-to-end, application and Eagle tests.
#pragma once
#include <sys/types.h>

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

// Starts argv[0] with the arguments, stdin from /dev/null, stdout and stderr into the files.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& outPath, const std::string& errPath);
// Runs argv[0] with the arguments, stdin from /dev/null, stdout and stderr captured.
Result RunProcess(const std::vector<std::string>& argv);
Result RunLqhost(const std::vector<std::string>& args);

std::string Example(const std::string& name);
// Every Eagle and KiCad board of the shared real boards, sorted.
std::vector<std::string> SharedBoardFiles();
// Why the shared boards cannot serve a test that reads the file or folder, or "" when they can.
std::string SharedMissing(const std::string& path);
// Set (QUILLON_REQUIRE_SHARED) where the shared boards must be read, as in CI.
bool SharedRequired();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
std::size_t Count(const std::string& text, const std::string& what);

// The message of the Error that f throws, or "(no error)".
template <class Error, class F>
std::string ErrorText(F&& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

// A fresh folder under /tmp, removed with its contents afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }
    std::vector<std::string> List(const std::string& sub = "") const;  // names, sorted, dot files included

private:
    std::string m_path;
};

// A clone without the shared boards beside it passes over the tests that read them; where they
// are required, such a test fails instead, so that they are never left out unseen.
#define LQ_NEED_SHARED(path)                                                       \
    do {                                                                           \
        if (const std::string lqMissing = lqe2e::SharedMissing(path); !lqMissing.empty()) { \
            if (lqe2e::SharedRequired())                                           \
                FAIL() << lqMissing;                                               \
            GTEST_SKIP() << lqMissing;                                             \
        }                                                                          \
    } while (0)

using Json = nlohmann::json;

// The net of each pin ("U1.3" -> "N5"); unconnected pins are absent.
std::map<std::string, std::string> NetOfPin(const Json& board);
// Pins with a track end on their pad.
std::vector<std::string> RoutedPins(const Json& board);
// Why the optimised board is not a legal permutation of the input, or "" when it is: every net
// keeps its pin count; only signal pins with a pin group and no copper (the routed pins) move;
// and within each class of pins that may take each other's places (same gate group and pin
// group, on one part or on parts that swap gates across packages with the same attributes) the
// nets form the same multiset as before.
std::string IllegalMoves(const Json& before, const Json& after, const std::vector<std::string>& routed);
inline std::string IllegalMoves(const Json& before, const Json& after) { return IllegalMoves(before, after, RoutedPins(before)); }

}  // namespace lqe2e
