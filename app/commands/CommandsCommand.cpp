// lqhost commands: the plug-in's commands as a host shows them.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <memory>

#include "app/cli/CommandTable.h"
#include "app/core/Errors.h"
#include "app/session/PlugInSession.h"
#include "host/HostApp.h"
#include "host/Window.h"

namespace lq {

namespace {
struct Options {
    std::string sheet = "layout";
};

std::unique_ptr<CDrwSubSheet> MakeSheet(const std::string& kind)
{
    if (kind == "layout")
        return std::make_unique<CLayoutSubSheet>();
    if (kind == "schematic")
        return std::make_unique<CDrwSubSheet>(LQ_DOCTYPE_SCHEMATIC);
    return nullptr;
}

int Run(const Options& options, const GlobalOptions& global)
{
    PlugInSession session(global.modulePath);
    std::unique_ptr<CDrwSubSheet> sheet = MakeSheet(options.sheet);
    LQSetDrwSubSheet(sheet.get());
    const VERSIONINFOSTRUCT& v = session.Version();
    fmt::print("{} ({}), {}\n", v.lpszModuleName, v.lpszDisplayName, v.lpszProviderKind);
    fmt::print("current sheet: {}\n\n", sheet ? sheet->GetDocType().str() : std::string("none"));
    for (const CommandDescription& c : session.Commands()) {
        CCmdUI ui(c.fullId);
        session.PlugIn()->UpdateCommandUI(c.commandId, &ui);
        fmt::print("{}\n", c.name);
        fmt::print("  identifier   0x{:08X} (module {}, command {})\n", c.fullId, c.fullId >> 16, c.commandId);
        fmt::print("  short text   {}\n", c.shortText);
        fmt::print("  description  {}\n", c.description);
        fmt::print("  category     {}\n", c.category);
        fmt::print("  menu path    {}\n", c.menuPath);
        fmt::print("  menu item    {}\n", c.menuItem);
        fmt::print("  toolbar      {}\n", c.record.dwBitmapID != 0 ? fmt::format("bitmap {}", c.record.dwBitmapID) : "none");
        fmt::print("  state        {}, {}\n\n", ui.m_nEnabled == 1 ? "enabled" : "disabled",
                   ui.m_nChecked == 1 ? "checked" : (ui.m_nChecked == 0 ? "unchecked" : "no check mark"));
    }
    LQSetDrwSubSheet(nullptr);
    return 0;
}
}  // namespace

CommandEntry MakeCommandsCommand()
{
    return CommandEntry{
        "commands", "List the plug-in's commands with their identifiers, texts, menu places and state",
        "lqhost commands --sheet schematic",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto options = std::make_shared<Options>();
            sub.add_option("--sheet", options->sheet, "The current sheet: layout, schematic or none")
                ->check(CLI::IsMember({"layout", "schematic", "none"}))
                ->capture_default_str();
            return [options, &global] { return Run(*options, global); };
        }};
}

}  // namespace lq
