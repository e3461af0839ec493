#include "app/play/PlayResolve.h"

#include <fmt/core.h>

#include <memory>

#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/io/AtomicFile.h"
#include "app/play/BoardSource.h"
#include "app/play/PlayTokens.h"
#include "host/String.h"

namespace lq::play {

namespace {

class Resolver {
public:
    Resolver(Script& script, const ResolveOptions& options) : m_script(script), m_options(options) {}

    void Run()
    {
        m_inputs.push_back(m_script.file);
        for (const Step& step : m_script.steps)
            if (const auto* open = std::get_if<OpenStep>(&step.action))
                for (const std::string& input : BoardFilesRead(open->file))
                    m_inputs.push_back(input);
        for (Step& step : m_script.steps) {
            try {
                std::visit([this](auto& a) { Resolve(a); }, step.action);
            } catch (const LineError& e) {
                throw ParseError(m_script.file, std::to_string(step.line), e.what());
            }
        }
    }

private:
    const Board& NeedBoard() const
    {
        if (!m_board)
            throw LineError("no board is open here; add an 'open FILE' line before this one");
        return *m_board;
    }

    void NeedTool() const
    {
        NeedBoard();
        if (!m_tool)
            throw LineError("no tool is picked here; add a 'tool UIID' line before this one (e.g. tool 0x703E8)");
    }

    std::size_t FindPart(const std::string& ref) const
    {
        if (const auto part = m_index->FindPart(ref))
            return *part;
        throw LineError(fmt::format("unknown part \"{}\" on the board {}", Excerpt(ref), m_boardName));
    }

    PinIndex FindPin(const std::string& text) const
    {
        NeedBoard();
        std::optional<std::string> knownPart;
        for (std::size_t dot = text.find('.'); dot != std::string::npos; dot = text.find('.', dot + 1)) {
            const PinRef ref{text.substr(0, dot), text.substr(dot + 1)};
            if (const auto pin = m_index->FindPin(ref))
                return *pin;
            if (!knownPart && m_index->FindPart(ref.part))
                knownPart = ref.part;
        }
        if (knownPart)
            throw LineError(fmt::format("part {} has no pin \"{}\"", *knownPart, Excerpt(text.substr(knownPart->size() + 1))));
        throw LineError(fmt::format("unknown part \"{}\" on the board {}", Excerpt(text.substr(0, text.find('.'))), m_boardName));
    }

    void Resolve(PinName& pin) const { pin.pin = FindPin(pin.text); }

    void NeedNet(const std::string& net) const
    {
        NeedBoard();
        if (!m_index->FindNet(net))
            throw LineError(fmt::format("unknown net \"{}\" on the board {}", Excerpt(net), m_boardName));
    }

    void NeedOutput(const std::string& file, const std::string& written) const
    {
        if (const std::string problem = OutputTargetProblem(file); !problem.empty())
            throw LineError(fmt::format("{}: {}", written, problem));
        for (const std::string& input : m_inputs)
            if (SamePath(file, input))
                throw LineError(fmt::format("{} would overwrite the input {}; save under another name", written, input));
    }

    void Resolve(OpenStep& s)
    {
        try {
            m_board = std::make_shared<const Board>(m_options.openBoard(s.file));
        } catch (const JobError& e) {
            throw LineError(e.what());
        }
        s.board = m_board;
        m_overlay = false;
        m_index = std::make_unique<BoardIndex>(*m_board);
        m_boardName = s.path;
    }
    void Resolve(MoveSwapStep&) const { NeedBoard(); }
    void Resolve(ToolStep& s)
    {
        NeedBoard();
        m_tool = s.uiId.has_value();
    }
    void Resolve(ClickStep& s) const
    {
        NeedTool();
        if (s.target.kind == Target::Kind::Pin)
            Resolve(s.target.pin);
        else if (s.target.kind == Target::Kind::Gate)
            s.target.gatePart.part = FindPart(s.target.gatePart.text);
    }
    void Resolve(OverlayStep& s)
    {
        NeedTool();
        m_overlay = true;
        if (!s.file.empty())
            NeedOutput(s.file, s.path);
    }
    void Resolve(SelectStep& s) const
    {
        NeedBoard();
        for (PartName& p : s.parts)
            p.part = FindPart(p.text);
    }
    void Resolve(MoveStep&) const { NeedBoard(); }
    void Resolve(CommandStep& s) const { NeedCommand(s.name); }
    void Resolve(RaiseStep&) const { NeedBoard(); }
    void Resolve(SaveStep& s) const
    {
        NeedBoard();
        if (const auto problem = BoardOutputProblem(s.file))
            throw LineError(fmt::format("{}: {}", s.path, *problem));
        NeedOutput(s.file, s.path);
    }
    void Resolve(ExpectNet& e) const
    {
        Resolve(e.pin);
        if (e.net)
            NeedNet(*e.net);
    }
    void Resolve(ExpectNetPins& e) const
    {
        NeedNet(e.net);
        for (PinName& p : e.pins)
            Resolve(p);
    }
    void Resolve(ExpectPinCount& e) const { NeedNet(e.net); }
    void Resolve(ExpectRecordCount&) const { NeedBoard(); }
    void Resolve(ExpectRecord&) const { NeedBoard(); }
    void Resolve(ExpectMessages&) const {}
    void Resolve(ExpectTool&) const {}
    void Resolve(ExpectPickMode&) const { NeedBoard(); }
    void Resolve(ExpectSelected& e) const
    {
        NeedBoard();
        for (ObjectName& o : e.objects) {
            if (const auto part = m_index->FindPart(o.text)) {
                o.isPin = false;
                o.part = *part;
            } else {
                if (o.text.find('.') == std::string::npos)
                    throw LineError(fmt::format("unknown part \"{}\" on the board {}", Excerpt(o.text), m_boardName));
                o.isPin = true;
                o.pin = FindPin(o.text);
            }
        }
    }
    void Resolve(ExpectCommand& e) const { NeedCommand(e.name); }
    void NeedOverlay() const
    {
        NeedBoard();
        if (!m_overlay)
            throw LineError("no overlay was painted on this board yet; add an 'overlay' line before this one");
    }
    void Resolve(ExpectOverlayPins& e) const
    {
        NeedOverlay();
        for (PinName& p : e.pins)
            Resolve(p);
    }
    void Resolve(ExpectOverlayMarkers&) const { NeedOverlay(); }

    void NeedCommand(const std::string& name) const
    {
        if (!m_options.commands)
            return;
        std::string known;
        for (const std::string& c : *m_options.commands) {
            // The predicate PlugInSession::FindCommand looks commands up by.
            if (_mbsicmp(c.c_str(), name.c_str()) == 0)
                return;
            known += (known.empty() ? "" : ", ") + c;
        }
        throw LineError(fmt::format("the plug-in has no command \"{}\" (it has {})", Excerpt(name), known.empty() ? "none" : known));
    }

    Script& m_script;
    const ResolveOptions& m_options;
    std::vector<std::string> m_inputs;
    std::shared_ptr<const Board> m_board;
    std::unique_ptr<BoardIndex> m_index;
    std::string m_boardName;
    bool m_tool = false;
    bool m_overlay = false;
};

}  // namespace

void ResolvePlayScript(Script& script, const ResolveOptions& options) { Resolver(script, options).Run(); }

}  // namespace lq::play
