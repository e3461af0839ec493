#include "app/formats/kicad/KicadProject.h"

#include <fmt/core.h>

#include <filesystem>
#include <map>

#include "app/core/Errors.h"
#include "app/core/Text.h"
#include "app/io/InputFile.h"

namespace lq::kicad {

namespace {

namespace fs = std::filesystem;

std::unique_ptr<SchematicFile> Load(const std::string& path, const std::string& text)
{
    auto file = std::make_unique<SexprFile>(text, path);
    return std::make_unique<SchematicFile>(ReadSchematicFile(std::move(file), path));
}

class ProjectReader {
public:
    ProjectReader(KicadProject& project, const FileReader& read) : m_project(project), m_read(read) {}

    void Read(const std::string& given)
    {
        // Sub-sheets are found relative to their parents, so every path is kept in one spelling.
        const std::string rootPath = fs::path(given).lexically_normal().string();
        const std::optional<std::string> text = m_read(rootPath);
        if (!text)
            throw IoError(fmt::format("{}: cannot open: No such file or directory", rootPath));
        m_project.files.push_back(Load(rootPath, *text));
        m_fileIndex.emplace(rootPath, 0);
        m_project.instances.push_back(SheetInstance{0, std::nullopt, 0, {}});
        Descend(0, {0});
        m_project.instancesOfFile.assign(m_project.files.size(), 0);
        for (const SheetInstance& s : m_project.instances)
            ++m_project.instancesOfFile[s.file];
        for (std::size_t i = 0; i < m_project.instances.size(); ++i)
            ResolveUses(i);
    }

private:
    // Loads the sub-sheets of instance i; open holds the files on the way down from the root.
    void Descend(std::size_t i, std::vector<std::size_t> open)
    {
        const std::size_t f = m_project.instances[i].file;
        for (std::size_t k = 0; k < m_project.files[f]->sheets.size(); ++k) {
            const SchematicFile& parent = *m_project.files[f];
            const SheetSymbol& sheet = parent.sheets[k];
            const std::size_t child = FileFor(parent, sheet);
            for (const std::size_t o : open)
                if (o == child)
                    parent.file->Fail(sheet.fileNode, fmt::format("sheet {} contains itself", sheet.file));
            if (m_project.instances.size() >= HierarchyLimits::kSheetInstances)
                parent.file->Fail(sheet.node, fmt::format("more than {} sheet instances", HierarchyLimits::kSheetInstances));
            SheetInstance instance{child, i, k, m_project.instances[i].chain};
            instance.chain.push_back(sheet.uuid);
            m_project.instances.push_back(std::move(instance));
            std::vector<std::size_t> deeper = open;
            deeper.push_back(child);
            Descend(m_project.instances.size() - 1, std::move(deeper));
        }
    }

    std::size_t FileFor(const SchematicFile& parent, const SheetSymbol& sheet)
    {
        const fs::path named(sheet.file);
        const std::string path =
            (named.is_absolute() ? named : fs::path(parent.path).parent_path() / named).lexically_normal().string();
        const auto known = m_fileIndex.find(path);
        if (known != m_fileIndex.end())
            return known->second;
        const std::optional<std::string> text = m_read(path);
        if (!text)
            parent.file->Fail(sheet.fileNode, fmt::format("sub-sheet {} is missing ({} not found)", sheet.file, path));
        m_project.files.push_back(Load(path, *text));
        m_fileIndex.emplace(path, m_project.files.size() - 1);
        return m_project.files.size() - 1;
    }

    void ResolveUses(std::size_t i)
    {
        const SheetInstance& instance = m_project.instances[i];
        const SchematicFile& file = *m_project.files[instance.file];
        const SchematicFile& root = *m_project.files[0];
        std::string sheets;
        for (const std::string& uuid : instance.chain)
            sheets += "/" + uuid;
        for (std::size_t s = 0; s < file.symbols.size(); ++s) {
            const PlacedSymbol& symbol = file.symbols[s];
            SymbolUse use{i, s, symbol.ref, symbol.unit, file.file.get(), {}, {}};
            if (symbol.refNode != kNoNode)
                use.refNodes.push_back(symbol.refNode);
            if (symbol.unitNode != kNoNode)
                use.unitNodes.push_back(symbol.unitNode);
            const InstanceData* data = nullptr;
            const std::string path = "/" + root.uuid + sheets;
            for (const InstanceData& d : symbol.instances)
                if (d.path == path)
                    data = &d;
            if (data == nullptr) {
                const auto legacy = root.legacyInstances.find(sheets + "/" + symbol.uuid);
                if (legacy != root.legacyInstances.end())
                    data = &legacy->second, use.dataFile = root.file.get();
            }
            if (data != nullptr)
                use.ref = data->ref, use.unit = data->unit, use.refNodes = data->refs, use.unitNodes = data->units;
            const NodeId unitPlace = use.unitNodes.empty() ? symbol.node : use.unitNodes.front();
            if (use.unit > symbol.lib->units)
                use.dataFile->Fail(unitPlace, fmt::format("unit {} of {}, but symbol {} has {}", use.unit, use.ref,
                                                          symbol.libId, Counted(symbol.lib->units, "unit")));
            if (m_project.uses.size() >= HierarchyLimits::kSymbolUses)
                file.file->Fail(symbol.node, fmt::format("more than {} placed symbols in all sheet instances",
                                                         HierarchyLimits::kSymbolUses));
            m_project.uses.push_back(std::move(use));
        }
    }

    KicadProject& m_project;
    const FileReader& m_read;
    std::map<std::string, std::size_t> m_fileIndex;
};

}  // namespace

FileReader DiskFiles()
{
    return [](const std::string& path) -> std::optional<std::string> {
        std::error_code ec;
        if (!fs::exists(path, ec))
            return std::nullopt;
        return ReadInputFile(path, SexprLimits::kFileBytes);
    };
}

std::string KicadProject::FootprintPath(const SymbolUse& use) const
{
    std::string path;
    for (const std::string& uuid : instances[use.instance].chain)
        path += "/" + uuid;
    return path + "/" + Symbol(use).uuid;
}

KicadProject ReadKicadProject(const std::string& rootPath, const FileReader& read)
{
    KicadProject project;
    ProjectReader(project, read).Read(rootPath);
    return project;
}

}  // namespace lq::kicad
