// Files that cross the page: boards uploaded from the page (a board with its schematics, written
// into a private folder under their base names only, read, and removed again), boards saved into
// the folder that lqhost was started with, and the downloads. No path that a request names is
// ever read or written: a request names at most a base name, checked here.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"

namespace lq {

class PageSession;

// Uploads hold at most this many bytes in all and this many files.
constexpr std::size_t kUploadLimitBytes = 32u << 20;
constexpr std::size_t kUploadLimitFiles = 32;

struct UploadedFile {
    std::string name;  // the base name the browser gave
    std::string content;
};

// Throws JobError when the text is not a plain file name (empty, a path, a hidden name, control
// characters, too long); what names the name in the message ("upload", "save").
void CheckBaseName(const std::string& name, const std::string& what);

struct OpenedUpload {
    LoadedBoard loaded;
    std::string name;  // the board file's name, as errors and the page name it
};

// Reads an uploaded set: exactly one board (.brd, .kicad_pcb, .json) and the files it reads
// beside it; rules are the KiCad swap-rules files lqhost was started with. Errors are the command
// line's, naming the uploaded file by its own name. unrouted reads an Eagle or KiCad board as
// --unrouted does.
OpenedUpload OpenUpload(const std::vector<UploadedFile>& files, const std::vector<std::string>& rules = {},
                        bool unrouted = false);

struct SaveResult {
    std::vector<std::string> written;  // base names
    std::vector<std::string> notes;
};

// Saves the board as it is now under name in folder. Refuses a name that would overwrite a file
// the board was read from, and an existing file unless overwrite is set (ConflictError).
SaveResult SaveInFolder(PageSession& session, const std::string& folder, const std::string& name, bool overwrite);

class ConflictError : public JobError {
public:
    using JobError::JobError;
};

}  // namespace lq
