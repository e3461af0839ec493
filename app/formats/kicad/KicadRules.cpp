#include "app/formats/kicad/KicadRules.h"

#include <fmt/core.h>

#include <set>

#include "app/formats/kicad/KicadValues.h"
#include "app/formats/kicad/SwapRulesLibrary.h"

namespace lq::kicad {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// ok[j]: the whole pattern matches text[0, j). Dynamic programming, so no pattern is slow.
std::vector<bool> Prefixes(std::string_view pattern, std::string_view text)
{
    std::vector<bool> ok(text.size() + 1, false);
    ok[0] = true;
    for (const char p : pattern) {
        std::vector<bool> next(text.size() + 1, false);
        for (std::size_t j = 0; j <= text.size(); ++j) {
            if (p == '*' || p == '%') {
                // Any run: reachable from an earlier match through characters the class allows.
                next[j] = ok[j] || (j > 0 && next[j - 1] && (p == '*' || IsLetter(text[j - 1])));
            } else if (j > 0 && ok[j - 1]) {
                next[j] = p == '?' || Lower(p) == Lower(text[j - 1]);
            }
        }
        ok.swap(next);
    }
    return ok;
}

const std::set<std::string_view> kTypes{"input", "output", "bidirectional", "tri_state", "passive", "free",
                                        "unspecified", "open_collector", "open_emitter", "no_connect"};

}  // namespace

bool PinMatches(std::string_view pattern, std::string_view text) { return Prefixes(pattern, text).back(); }

bool SymbolMatches(std::string_view pattern, std::string_view libId)
{
    std::string_view text = libId;
    if (pattern.find(':') == std::string_view::npos)
        if (const std::size_t colon = libId.find(':'); colon != std::string_view::npos)
            text = libId.substr(colon + 1);
    const std::vector<bool> ok = Prefixes(pattern, text);
    for (std::size_t j = 0; j < ok.size(); ++j)
        if (ok[j] && (j == text.size() || !(text[j] >= '0' && text[j] <= '9')))
            return true;
    return false;
}

SwapRules::SwapRules()
{
    const SexprFile file(std::string(KicadSwapRulesText()), "kicad-swap-rules.lqrules", true);
    Read(file, false);
}

void SwapRules::AddUserFile(const std::string& path, std::string text)
{
    const SexprFile file(std::move(text), path, true);
    std::vector<SwapRule> before = std::move(m_user);
    m_user.clear();
    Read(file, true);
    m_user.insert(m_user.end(), before.begin(), before.end());
}

const SwapRule* SwapRules::Find(const std::string& libId) const
{
    for (const auto* rules : {&m_user, &m_library})
        for (const SwapRule& rule : *rules)
            for (const std::string& pattern : rule.symbols)
                if (SymbolMatches(pattern, libId))
                    return &rule;
    return nullptr;
}

void SwapRules::Read(const SexprFile& file, bool user)
{
    const NodeId root = file.Root();
    if (file.Head(root) != "quillon_swap_rules")
        file.Fail(root, fmt::format("not a swap-rules file: it starts with ({} instead of (quillon_swap_rules",
                                    file.Head(root)));
    const NodeId version = NeedChild(file, root, "version");
    Integer(file, NeedArg(file, version, 0, "version"), 1, 1);
    auto yesNo = [&](NodeId list, std::string_view yes, std::string_view no) {
        const NodeId v = NeedArg(file, list, 0, "value");
        const std::string text = file.Value(v);
        if (text != yes && text != no)
            file.Fail(v, fmt::format("({} ...) is {} or {}, not \"{}\"", file.Head(list), yes, no, text));
        return text == yes;
    };
    for (NodeId n = file.Arg(root, 0); n != kNoNode; n = file.Next(n)) {
        if (!file.IsList(n))
            file.Fail(n, "a rule is a list: (rule \"name\" ...)");
        const std::string_view head = file.Head(n);
        if (head == "version")
            continue;
        if (head != "rule")
            file.Fail(n, fmt::format("({} ...) is not a rule; the file holds (version 1) and (rule ...) lists", head));
        SwapRule rule;
        rule.user = user;
        rule.name = file.Value(NeedArg(file, n, 0, "name"));
        rule.place = fmt::format("{}:{}", file.Name(), file.Place(file.Begin(n)).first);
        for (NodeId c = file.Arg(n, 1); c != kNoNode; c = file.Next(c)) {
            const std::string_view what = file.IsList(c) ? file.Head(c) : "";
            if (what == "symbols") {
                for (NodeId s = file.Arg(c, 0); s != kNoNode; s = file.Next(s))
                    rule.symbols.push_back(file.Value(s));
            } else if (what == "gates") {
                rule.gates = yesNo(c, "swap", "fixed");
            } else if (what == "across_packages") {
                rule.acrossPackages = yesNo(c, "yes", "no");
            } else if (what == "pin_group") {
                std::vector<PinSelector>& group = rule.pinGroups.emplace_back();
                for (NodeId s = file.Arg(c, 0); s != kNoNode; s = file.Next(s)) {
                    const std::string_view by = file.IsList(s) ? file.Head(s) : "";
                    PinSelector selector;
                    if (by == "type")
                        selector.by = PinSelector::By::Type;
                    else if (by == "names")
                        selector.by = PinSelector::By::Name;
                    else if (by == "numbers")
                        selector.by = PinSelector::By::Number;
                    else
                        file.Fail(s, "a pin group selects pins by (type ...), (names ...) or (numbers ...)");
                    for (NodeId v = file.Arg(s, 0); v != kNoNode; v = file.Next(v)) {
                        selector.patterns.push_back(file.Value(v));
                        if (selector.by == PinSelector::By::Type && kTypes.count(selector.patterns.back()) == 0)
                            file.Fail(v, fmt::format("\"{}\" is not an electrical type of a signal pin (input, output, "
                                                     "bidirectional, tri_state, passive, ...)", selector.patterns.back()));
                    }
                    if (selector.patterns.empty())
                        file.Fail(s, fmt::format("({} ...) names nothing", by));
                    group.push_back(std::move(selector));
                }
                if (group.empty())
                    file.Fail(c, "the pin group selects no pins");
            } else {
                file.Fail(c, "a rule holds (symbols ...), (gates swap|fixed), (across_packages yes|no) and (pin_group ...)");
            }
        }
        if (rule.symbols.empty())
            file.Fail(n, fmt::format("rule \"{}\" names no symbols", rule.name));
        (user ? m_user : m_library).push_back(std::move(rule));
    }
}

}  // namespace lq::kicad
