// Runs a resolved play script as a host session: the plug-in is driven only through its
// boundary (interfaces, commands, tools by UI ID, host events), and the host's loop is pumped
// after every call into it. Saves and overlay pictures are written when the whole script has
// run; a failing line leaves no output behind.
#pragma once
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "app/io/AtomicFile.h"
#include "app/play/PlayChecks.h"
#include "app/play/PlayScript.h"
#include "app/probe/RecordingDrawContext.h"

class CDrawTool;

namespace lq {
class HostSheet;
class PlugInSession;
}  // namespace lq

namespace lq::play {

struct PlaySummary {
    std::size_t steps = 0;
    std::size_t expectations = 0;
    std::vector<std::string> outputs;
};

class PlayRunner {
public:
    // trace, when given, receives each line as it runs with the messages and records it caused.
    PlayRunner(const PlugInSession& session, const Script& script, std::FILE* trace = nullptr);
    ~PlayRunner();
    PlayRunner(const PlayRunner&) = delete;
    PlayRunner& operator=(const PlayRunner&) = delete;

    // Throws JobError "file:line: message" at the first line that fails.
    PlaySummary Run();

private:
    void RunStep(const Step& step);
    void Do(const OpenStep& s, const Step& step);
    void Do(const MoveSwapStep& s, const Step& step);
    void Do(const ToolStep& s, const Step& step);
    void Do(const ClickStep& s, const Step& step);
    void Do(const OverlayStep& s, const Step& step);
    void Do(const SelectStep& s, const Step& step);
    void Do(const MoveStep& s, const Step& step);
    void Do(const CommandStep& s, const Step& step);
    void Do(const RaiseStep& s, const Step& step);
    void Do(const SaveStep& s, const Step& step);

    void ActivateTool(CDrawTool* tool, UINT previousUIID);
    void EndTool();
    CLQPoint TargetPoint(const Target& target, const Step& step);
    void PaintOverlay();
    void PushUndoStep(const Step& step);
    void Trace(const Step& step);

    const PlugInSession& m_session;
    const Script& m_script;
    std::FILE* m_trace;
    std::unique_ptr<HostSheet> m_sheet;
    RecordingDrawContext m_view;  // the view the tools draw into
    CDrawTool* m_tool = nullptr;
    std::set<CDrawTool*> m_toolsUsed;
    OverlayPainting m_overlay;
    PlayHost m_host;
    OutputBatch m_outputs;
    std::size_t m_tracedMessages = 0;
    std::size_t m_tracedRecords = 0;
};

}  // namespace lq::play
