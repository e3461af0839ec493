// The plug-in as a host sees it: loaded from its file, initialised, and reached only through its
// four exports and its two interface objects.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "host/PlugInBase.h"
#include "host/Window.h"

namespace lq {

struct CommandDescription {
    UINT fullId = 0;    // module index in the high 16 bits
    WORD commandId = 0;
    COMMANDINFOSTRUCT record{};
    std::string name, shortText, description, category, menuPath, menuItem;
};

class PlugInSession {
public:
    // Loads and initialises the module; throws JobError when it cannot.
    explicit PlugInSession(const std::string& modulePath);
    ~PlugInSession();
    PlugInSession(const PlugInSession&) = delete;
    PlugInSession& operator=(const PlugInSession&) = delete;

    const VERSIONINFOSTRUCT& Version() const { return m_version; }
    HINSTANCE Instance() const { return m_hModule; }
    CLQ_PlugInInterface* PlugIn() const { return m_pPlugIn; }
    CLQ_DrawObjectsInterface* DrawObjects() const { return m_pDrawObjects; }

    std::vector<CommandDescription> Commands() const;
    // The command whose name (its command-name string) matches, case-insensitively.
    std::optional<CommandDescription> FindCommand(const std::string& name) const;
    // The command's state as a menu asks it, and the command executed (its result returned); each
    // pumps the host's loop after the call, so what the plug-in posts is handled before the caller reads.
    CCmdUI QueryState(const CommandDescription& command) const;
    UINT Execute(const CommandDescription& command) const;

private:
    HINSTANCE m_hModule = nullptr;
    VERSIONINFOSTRUCT m_version{};
    CLQ_PlugInInterface* m_pPlugIn = nullptr;
    CLQ_DrawObjectsInterface* m_pDrawObjects = nullptr;
    void (*m_pfnExitDll)() = nullptr;
};

// libquillon.so beside the running executable, unless QUILLON_MODULE names another file.
std::string DefaultModulePath();

}  // namespace lq
