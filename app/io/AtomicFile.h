// Outputs written whole or not at all: each goes to a temporary file in its target's folder, is
// flushed to disk, and is renamed over the target only when every output of the batch is staged.
// A reader of a target sees the old file or the new one, never a part.
#pragma once
#include <string>
#include <vector>

namespace lq {

// Why path cannot take an output, or "" when it can: it is absent, a regular file, or a link
// that leads to one. A device, FIFO, socket or folder is never replaced by a file.
std::string OutputTargetProblem(const std::string& path);

// Throws IoError "option path: ..." when OutputTargetProblem finds one.
void CheckOutputTarget(const std::string& path, const std::string& option);

class OutputBatch {
public:
    // The step that moves a staged file into place; tests put a failing one in.
    using RenameStep = int (*)(const char* from, const char* to);

    explicit OutputBatch(RenameStep rename = nullptr) : m_rename(rename) {}
    ~OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;

    // Queues an output; nothing touches the disk yet. A later Add of the same path replaces it.
    void Add(const std::string& path, std::string content);
    bool Empty() const { return m_outputs.empty(); }
    std::vector<std::string> Paths() const;

    // Checks every target, creates missing folders, stages every output and renames them into
    // place; a target that is a link to a file is written through the link. If any output cannot
    // be staged, removes every temporary file and every folder it made and throws IoError naming
    // that output; no target is touched then. If a rename fails after others succeeded, the
    // files already replaced get their old contents back (those that were new are removed)
    // before IoError is thrown. A new file gets the permissions the umask allows; a replaced file
    // keeps its own. Interrupting signals wait until the batch is done or undone.
    void Commit();

private:
    struct Output {
        std::string path;
        std::string content;
        std::string target;  // path, or where its link leads
        std::string temp;
        std::string kept;  // a second name of the old target while the batch is renamed
    };
    void Stage(Output& output);
    void Keep(Output& output);
    void Discard();
    void Undo(std::size_t renamed);

    RenameStep m_rename;
    std::vector<Output> m_outputs;
    std::vector<std::string> m_madeDirs;
};

// Whether any batch of this process has put its outputs in place; safe in a signal handler.
bool OutputsCommitted();

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
