#include "app/serve/PageFiles.h"

#include <fmt/core.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/core/Text.h"
#include "app/io/AtomicFile.h"
#include "app/serve/PageSession.h"

namespace lq {

namespace {

namespace fs = std::filesystem;

bool IsBoardName(const std::string& name)
{
    const std::string lower = Lower(name);
    for (const BoardKind& kind : BoardKinds())
        if (lower.ends_with(kind.extension))
            return true;
    return false;
}

// The schematic chosen with the board when it is not named after it: one chosen together with a
// board is meant for it, and read as --schematic would (a schematic of another board is then
// refused as such rather than passed over). Empty where the board's own is there, or the choice
// is not one file.
std::string ChosenSchematic(const std::vector<UploadedFile>& files, const std::string& board, BoardFormat format)
{
    if (format == BoardFormat::QuillonJson)
        return {};
    const char* extension = format == BoardFormat::Eagle ? ".sch" : ".kicad_sch";
    const std::string own = Lower(fs::path(board).replace_extension(extension).string());
    std::vector<std::string> schematics;
    for (const UploadedFile& f : files)
        if (const std::string name = Lower(f.name); name.ends_with(extension)) {
            if (name == own)
                return {};
            schematics.push_back(f.name);
        }
    return schematics.size() == 1 ? schematics.front() : std::string();
}

std::string KnownKinds()
{
    std::string known;
    for (const BoardKind& kind : BoardKinds())
        known += fmt::format("{}{}", known.empty() ? "" : ", ", kind.extension);
    return known;
}

// A private folder for one upload, removed with everything in it.
class UploadFolder {
public:
    UploadFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/lqhost-upload-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw IoError("cannot make a private folder for the upload in " + pattern.substr(0, pattern.rfind('/')));
        m_path = pattern;
    }
    ~UploadFolder()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    UploadFolder(const UploadFolder&) = delete;
    UploadFolder& operator=(const UploadFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

void CheckBaseName(const std::string& name, const std::string& what)
{
    if (name.empty())
        throw JobError(fmt::format("{}: no file name given", what));
    if (name.size() > 255)
        throw JobError(fmt::format("{}: the file name is longer than 255 bytes", what));
    for (const unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F)
            throw JobError(fmt::format("{}: \"{}\" is not a plain file name (no folders, no control characters)", what,
                                       name.find_first_of("/\\") != std::string::npos ? name : std::string("...")));
    if (name.front() == '.')
        throw JobError(fmt::format("{} \"{}\": a file name may not start with a dot", what, name));
}

OpenedUpload OpenUpload(const std::vector<UploadedFile>& files, const std::vector<std::string>& rules, bool unrouted)
{
    if (files.empty())
        throw JobError("upload: no file chosen");
    if (files.size() > kUploadLimitFiles)
        throw JobError(fmt::format("upload: {} files; at most {} are taken at once", files.size(), kUploadLimitFiles));
    std::vector<const UploadedFile*> boards;
    for (std::size_t i = 0; i < files.size(); ++i) {
        CheckBaseName(files[i].name, "upload");
        for (std::size_t j = 0; j < i; ++j)
            if (files[j].name == files[i].name)
                throw JobError(fmt::format("upload: the file {} was chosen twice", files[i].name));
        if (IsBoardName(files[i].name))
            boards.push_back(&files[i]);
    }
    if (boards.size() != 1)
        throw JobError(fmt::format("upload: choose exactly one board ({}) with the schematics beside it; {} boards were "
                                   "chosen",
                                   KnownKinds(), boards.size()));
    UploadFolder folder;
    for (const UploadedFile& f : files)
        WriteFileAtomically(folder.Path() + "/" + f.name, f.content);
    const std::string path = folder.Path() + "/" + boards.front()->name;
    // The command line's texts, naming the files as the user knows them.
    auto asChosen = [&](std::string text) {
        ReplaceAll(text, folder.Path() + "/", "");
        return text;
    };
    try {
        // Rules apply to KiCad boards only, reading unrouted to boards with copper; another board
        // is read as it is.
        BoardReadOptions read;
        const BoardFormat format = BoardFormatOf(path);
        if (format == BoardFormat::Kicad)
            read.rules = rules;
        read.unrouted = unrouted && format != BoardFormat::QuillonJson;
        if (const std::string schematic = ChosenSchematic(files, boards.front()->name, format); !schematic.empty())
            read.schematic = folder.Path() + "/" + schematic;
        OpenedUpload opened{LoadBoard(path, read), boards.front()->name};
        for (std::string& note : opened.loaded.notes) {
            note = asChosen(note);
            // The page's way to what the command line's option does.
            ReplaceAll(note, "with --unrouted the board", "opened with \"unrouted\" ticked, the board");
        }
        return opened;
    } catch (const JobError& e) {
        throw JobError(asChosen(e.what()));
    } catch (const UsageError& e) {
        throw JobError(asChosen(e.what()));
    }
}

SaveResult SaveInFolder(PageSession& session, const std::string& folder, const std::string& name, bool overwrite)
{
    CheckBaseName(name, "save");
    try {
        BoardFormatOf(name, true);
    } catch (const UsageError& e) {
        throw JobError(fmt::format("save: {}", e.what()));
    }
    const std::string output = (fs::path(folder) / name).string();
    SavedBoard saved;
    try {
        saved = session.Save(output);
    } catch (const UsageError& e) {
        throw JobError(e.what());
    }
    std::vector<std::string> existing;
    OutputBatch batch;
    SaveResult result;
    for (auto& [path, content] : saved.files) {
        for (const std::string& input : session.Inputs())
            if (SamePath(path, input))
                throw JobError(fmt::format("save \"{}\": would overwrite {}, which the open board was read from; choose "
                                           "another name",
                                           fs::path(path).filename().string(), input));
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            existing.push_back(fs::path(path).filename().string());
        result.written.push_back(fs::path(path).filename().string());
        batch.Add(path, std::move(content));
    }
    if (!existing.empty() && !overwrite) {
        std::string names;
        for (const std::string& n : existing)
            names += (names.empty() ? "" : ", ") + n;
        throw ConflictError(fmt::format("save: {} already {} in {}; replace {}?", names, existing.size() == 1 ? "exists" : "exist",
                                        folder, existing.size() == 1 ? "it" : "them"));
    }
    batch.Commit();
    result.notes = std::move(saved.notes);
    return result;
}

}  // namespace lq
