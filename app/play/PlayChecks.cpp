#include "app/play/PlayChecks.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Printable.h"
#include "app/core/Text.h"
#include "app/report/Labels.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/BackAnnotation.h"
#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/Window.h"

namespace lq::play {

namespace {

using Failure = std::optional<std::string>;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string QuotedList(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& t : texts)
        out += (out.empty() ? "" : " ") + Quoted(t);
    return out.empty() ? "no texts" : out;
}

std::string KindText(int kind)
{
    if (kind == 13)
        return "a pin swap (13)";
    if (kind == 12)
        return "a gate swap (12)";
    return fmt::format("kind {}", kind);
}

std::string UndoText(std::uint32_t id) { return id == 0xFFFFFFFFu ? "none (0xFFFFFFFF)" : std::to_string(id); }

// Compares as multisets; both lists are sorted for the message.
Failure CompareLists(std::vector<std::string> expected, std::vector<std::string> found, const std::string& what)
{
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    if (expected == found)
        return std::nullopt;
    return fmt::format("expected {} {}, found {}", what, ListText(expected), ListText(found));
}

std::string ObjectText(const HostSheet& sheet, const CDrawObject* object)
{
    if (const auto pin = sheet.FindPin(object))
        return PinText(sheet, *pin);
    if (const auto part = sheet.FindPart(object))
        return sheet.Original().parts[*part].ref;
    return fmt::format("object #{}", object != nullptr ? object->GetStoreIndex() : -1);
}

const CLayoutNet* FindNet(const HostSheet& sheet, const std::string& name)
{
    return sheet.Sheet()->GetNetlist()->FindNet(name.c_str());
}

const std::vector<CBackAnnotationRecord>& Records(const HostSheet& sheet)
{
    static const std::vector<CBackAnnotationRecord> none;
    const CBackAnnotationManager* manager = sheet.Sheet()->GetBackAnnotationManager();
    return manager != nullptr ? manager->GetRecords() : none;
}

std::string ToolText(const CDrawTool* tool) { return tool == nullptr ? "none" : FormatUIID(tool->GetUIID()); }

struct Checker {
    PlayHost& host;

    HostSheet& Sheet() const { return *host.sheet; }

    Failure operator()(const ExpectNet& e) const
    {
        const CNet* net = Sheet().PinObject(e.pin.pin)->GetNetConnection()->GetNet();
        const std::string found = net != nullptr ? net->GetName().str() : std::string();
        if (e.net ? (net != nullptr && found == *e.net) : net == nullptr)
            return std::nullopt;
        return fmt::format("expected net of {} to be {}, found {}", e.pin.text, e.net ? *e.net : "none",
                           net != nullptr ? found : "none");
    }

    Failure operator()(const ExpectNetPins& e) const
    {
        std::vector<std::string> expected, found;
        for (const PinName& p : e.pins)
            expected.push_back(PinText(Sheet(), p.pin));
        if (const CLayoutNet* net = FindNet(Sheet(), e.net))
            for (const CNetPin* netPin : net->GetNetPins())
                found.push_back(ObjectText(Sheet(), netPin->GetDrawObject()));
        return CompareLists(expected, found, "net " + e.net + " to hold");
    }

    Failure operator()(const ExpectPinCount& e) const
    {
        const CLayoutNet* net = FindNet(Sheet(), e.net);
        const std::size_t found = net != nullptr ? static_cast<std::size_t>(net->GetNetPinCount()) : 0;
        if (found == e.count)
            return std::nullopt;
        return fmt::format("expected net {} to have {}, found {}", e.net, Counted(e.count, "pin"), found);
    }

    Failure operator()(const ExpectRecordCount& e) const
    {
        const std::size_t found = Records(Sheet()).size();
        if (found == e.count)
            return std::nullopt;
        return fmt::format("expected {} back-annotation records, found {}", e.count, found);
    }

    Failure operator()(const ExpectRecord& e) const
    {
        const auto& records = Records(Sheet());
        if (e.index > records.size())
            return fmt::format("expected back-annotation record {}, but there {} {}", e.index,
                               records.size() == 1 ? "is" : "are", records.size());
        const CBackAnnotationRecord& r = records[e.index - 1];
        const int kind = static_cast<int>(r.eKind);
        if (e.kind && *e.kind != kind)
            return fmt::format("expected record {} to be {}, found {}", e.index, KindText(*e.kind), KindText(kind));
        if (e.undoId && *e.undoId != r.dwUndoActionID)
            return fmt::format("expected record {} to have the undo id {}, found {}", e.index, UndoText(*e.undoId),
                               UndoText(r.dwUndoActionID));
        if (e.texts && *e.texts != r.args)
            return fmt::format("expected record {} texts {}, found {}", e.index, QuotedList(*e.texts), QuotedList(r.args));
        return std::nullopt;
    }

    Failure operator()(const ExpectMessages& e) const
    {
        const auto& boxes = AfxGetHostLog().messageBoxes;
        std::vector<std::string> found, expected, shown;
        for (std::size_t i = std::min(host.messagesChecked, boxes.size()); i < boxes.size(); ++i)
            found.push_back(boxes[i].strText.str());
        host.messagesChecked = boxes.size();
        for (const MessageItem& item : e.items) {
            if (!item.resourceId) {
                expected.push_back(item.text);
                shown.push_back(Quoted(item.text));
                continue;
            }
            const std::string text = GetResourceString(host.session->Instance(), *item.resourceId).str();
            if (text.empty())
                return fmt::format("the plug-in has no string {}", *item.resourceId);
            expected.push_back(text);
            shown.push_back(fmt::format("{} {}", *item.resourceId, Quoted(text)));
        }
        // In order: they are what the user saw, one after the other.
        if (expected == found)
            return std::nullopt;
        std::vector<std::string> foundShown;
        for (const std::string& f : found)
            foundShown.push_back(Quoted(f));
        return fmt::format("expected {} since the last check, found {}",
                           shown.empty()       ? std::string("no message")
                           : shown.size() == 1 ? "the message " + shown[0]
                                               : "the messages " + ListText(shown),
                           found.empty() ? "none" : ListText(foundShown));
    }

    Failure operator()(const ExpectTool& e) const
    {
        const CDrawTool* tool = GetDrawTool();
        const bool same = e.uiId ? tool != nullptr && tool->GetUIID() == *e.uiId : tool == nullptr;
        if (same)
            return std::nullopt;
        return fmt::format("expected the active tool {}, found {}", e.uiId ? FormatUIID(*e.uiId) : "none", ToolText(tool));
    }

    Failure operator()(const ExpectPickMode& e) const
    {
        const bool on = Sheet().Sheet()->GetPickMode();
        if (on == e.on)
            return std::nullopt;
        return fmt::format("expected pick mode {}, found {}", e.on ? "on" : "off", on ? "on" : "off");
    }

    Failure operator()(const ExpectSelected& e) const
    {
        std::vector<std::string> expected, found;
        for (const ObjectName& o : e.objects)
            expected.push_back(o.isPin ? PinText(Sheet(), o.pin) : Sheet().Original().parts[o.part].ref);
        for (const CDrawObject* object : Sheet().Sheet()->GetDrawingStore()->GetSelectedObjects())
            found.push_back(ObjectText(Sheet(), object));
        return CompareLists(expected, found, "selected");
    }

    Failure operator()(const ExpectCommand& e) const
    {
        const auto command = host.session->FindCommand(e.name);
        if (!command)
            return fmt::format("the plug-in has no command \"{}\"", Excerpt(e.name));
        const CCmdUI ui = host.session->QueryState(*command);
        const bool enabled = ui.m_nEnabled == 1, checked = ui.m_nChecked == 1;
        if (enabled == e.enabled && (!e.checked || *e.checked == checked))
            return std::nullopt;
        const auto state = [](bool en, std::optional<bool> ch) {
            return std::string(en ? "enabled" : "disabled") + (ch ? (*ch ? " and checked" : " and unchecked") : "");
        };
        return fmt::format("expected {} {}, found it {}", command->name, state(e.enabled, e.checked),
                           state(enabled, e.checked ? std::optional<bool>(checked) : std::nullopt));
    }

    Failure operator()(const ExpectOverlayPins& e) const
    {
        std::vector<std::string> expected, found;
        for (const PinName& p : e.pins)
            expected.push_back(PinText(Sheet(), p.pin));
        for (const CDrawObject* object : host.overlay->objects)
            found.push_back(ObjectText(Sheet(), object));
        return CompareLists(expected, found, "the overlay to emphasise");
    }

    Failure operator()(const ExpectOverlayMarkers& e) const
    {
        const std::size_t found = host.overlay->markers.size();
        if (found == e.count)
            return std::nullopt;
        return fmt::format("expected the overlay to draw {} gate markers, found {}", e.count, found);
    }

    template <class Step>
    Failure operator()(const Step&) const
    {
        return std::nullopt;
    }
};

}  // namespace

std::string PinText(const HostSheet& sheet, const PinIndex& pin) { return PinLabel(sheet.Original(), pin); }

std::string ListText(const std::vector<std::string>& items) { return items.empty() ? "nothing" : JoinTexts(items); }

std::optional<std::string> CheckExpectation(const Action& expectation, PlayHost& host)
{
    return std::visit(Checker{host}, expectation);
}

}  // namespace lq::play
