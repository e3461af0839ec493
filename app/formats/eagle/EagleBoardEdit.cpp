#include "app/formats/eagle/EagleBoardEdit.h"

#include <cstring>
#include <set>

namespace lq::eagle {

namespace {

std::set<PinRef> PinsOf(const Net& net) { return std::set<PinRef>(net.pins.begin(), net.pins.end()); }

bool IsAirwire(const pugi::xml_node& node)
{
    return std::strcmp(node.name(), "wire") == 0 && std::strcmp(node.attribute("layer").value(), "19") == 0;
}

}  // namespace

SignalEdits RewriteSignals(EagleDesign& design, const Board& before, const Board& after)
{
    std::map<std::string, const Net*> afterNets;
    for (const Net& net : after.nets)
        afterNets.emplace(net.name, &net);
    const BoardIndex index(before);

    struct Change {
        pugi::xml_node signal;
        const Net* now = nullptr;
        std::set<PinRef> was;
        std::set<PinRef> is;
    };
    std::vector<Change> changes;
    for (std::size_t n = 0; n < before.nets.size(); ++n) {
        const auto it = afterNets.find(before.nets[n].name);
        static const Net kEmpty;
        const Net& now = it == afterNets.end() ? kEmpty : *it->second;
        Change c{design.signals[n], &now, PinsOf(before.nets[n]), PinsOf(now)};
        if (c.was != c.is)
            changes.push_back(std::move(c));
    }

    // Copies first, removals after, so that every arriving pad still finds its old contactref.
    for (const Change& c : changes) {
        pugi::xml_node anchor;
        for (const pugi::xml_node ref : Children(c.signal, "contactref"))
            anchor = ref;
        for (const PinRef& pin : c.now->pins) {
            if (c.was.count(pin) != 0)
                continue;
            const auto from = design.contacts.find(*index.FindPin(pin));
            anchor = InsertLine(c.signal, anchor, from == design.contacts.end() ? pugi::xml_node() : from->second, "contactref",
                                design.board->Newline());
            if (from == design.contacts.end()) {
                anchor.append_attribute("element").set_value(pin.part.c_str());
                anchor.append_attribute("pad").set_value(pin.pin.c_str());
            }
        }
    }
    SignalEdits edits;
    for (const Change& c : changes) {
        ++edits.changed;
        std::vector<pugi::xml_node> drop;
        for (const pugi::xml_node node : c.signal.children()) {
            const bool contact = std::strcmp(node.name(), "contactref") == 0;
            const bool copper = std::strcmp(node.name(), "via") == 0 || std::strcmp(node.name(), "wire") == 0;
            if (contact && c.is.count(PinRef{node.attribute("element").value(), node.attribute("pad").value()}) == 0)
                drop.push_back(node);
            else if (IsAirwire(node) || (design.unrouted && copper))
                drop.push_back(node);
        }
        if (design.unrouted)
            ++edits.rerouted;
        for (const pugi::xml_node& node : drop)
            RemoveLine(node);
    }
    return edits;
}

}  // namespace lq::eagle
