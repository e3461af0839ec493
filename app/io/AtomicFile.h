// Outputs written whole or not at all: each goes to a temporary file in its target's folder, is
// flushed to disk, and is renamed over the target only when every output of the batch is staged.
// A reader of a target sees the old file or the new one, never a part.
#pragma once
#include <string>
#include <vector>

namespace lq {

class OutputBatch {
public:
    OutputBatch() = default;
    ~OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;

    // Queues an output; nothing touches the disk yet. A later Add of the same path replaces it.
    void Add(const std::string& path, std::string content);
    bool Empty() const { return m_outputs.empty(); }
    std::vector<std::string> Paths() const;

    // Creates missing folders, stages every output and renames them into place. If any output
    // cannot be staged, removes every temporary file and every folder it made and throws
    // IoError naming that output; no target is touched then. A new file gets the permissions
    // the umask allows; a replaced file keeps its own.
    void Commit();

private:
    struct Output {
        std::string path;
        std::string content;
        std::string temp;
    };
    void Stage(Output& output);
    void Discard();

    std::vector<Output> m_outputs;
    std::vector<std::string> m_madeDirs;
};

// Writes one file whole or not at all (a batch of one).
void WriteFileAtomically(const std::string& path, std::string content);

// True when both paths name one existing file (same device and inode), so that writing the
// first would overwrite the second, whatever links or spellings lead there.
bool SameFile(const std::string& a, const std::string& b);

// The absolute, weakly canonical spelling of a path; the path itself when that fails.
std::string NormalPath(const std::string& path);

// True when both paths spell one location or name one existing file.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace lq
