"""Builds Quillon board files (.qbrd.json) from Python and writes them in lqhost's canonical
layout, so that lqhost reads and writes them back byte for byte.

Units are nanometres; part outlines and pins are relative to the part's placement point, pads
relative to their pin. See docs/board-format.md.
"""
import json

MM = 1_000_000
MIL = 25_400
ALL_LAYERS = list(range(1, 17))


def q(text):
    return json.dumps(text, ensure_ascii=False)


def point(p):
    return f"[{p[0]}, {p[1]}]"


def rect(r):
    return f"[{r[0]}, {r[1]}, {r[2]}, {r[3]}]"


def attributes(attrs):
    return "[" + ", ".join(f"[{q(n)}, {q(v)}]" for n, v in attrs) + "]"


class Board:
    def __init__(self, zoom=10000):
        self.sheet = {"documentType": "LAYOUTDESIGN", "backAnnotation": True,
                      "backAnnotationManager": True, "moveSwap": (0, False, 0), "zoom": zoom}
        self.parts = []
        self.nets = []
        self.tracks = []
        self.vias = []
        self.polygons = []

    def part(self, ref, at, outline, attrs=(), pin_swap=True):
        part = {"ref": ref, "at": at, "outline": outline, "pinSwap": pin_swap,
                "attributes": list(attrs), "pins": []}
        self.parts.append(part)
        return part

    @staticmethod
    def pin(part, at, attrs, pad=(-400_000, -400_000, 400_000, 400_000), layers=None):
        part["pins"].append({"at": at, "pad": pad, "layers": layers, "attributes": list(attrs)})

    def net(self, name, pins):
        self.nets.append({"name": name, "pins": list(pins)})

    def track(self, net, layer, width, start, end):
        self.tracks.append({"net": net, "layer": layer, "width": width, "from": start, "to": end})

    def write(self):
        s = self.sheet
        out = ["{", f'  "format": "quillon-board",', '  "version": 1,', '  "sheet": {',
               f'    "documentType": {q(s["documentType"])},',
               f'    "backAnnotation": {str(s["backAnnotation"]).lower()},',
               f'    "backAnnotationManager": {str(s["backAnnotationManager"]).lower()},',
               '    "moveSwap": {"mode": %d, "pinSwap": %s, "gateSwap": %d},'
               % (s["moveSwap"][0], str(s["moveSwap"][1]).lower(), s["moveSwap"][2]),
               f'    "zoom": {s["zoom"]}', "  },"]
        if not self.parts:
            out.append('  "parts": [],')
        else:
            out.append('  "parts": [')
            for i, p in enumerate(self.parts):
                out += ["    {", f'      "ref": {q(p["ref"])},', f'      "at": {point(p["at"])},',
                        f'      "outline": {rect(p["outline"])},',
                        f'      "pinSwap": {str(p["pinSwap"]).lower()},',
                        f'      "attributes": {attributes(p["attributes"])},']
                out += _list('      "pins": ', [_pin(x) for x in p["pins"]], "        ")
                out.append("    }" + ("," if i + 1 < len(self.parts) else ""))
            out.append("  ],")
        nets = ['{"name": %s, "pins": [%s]}' % (q(n["name"]), ", ".join(f"[{q(a)}, {q(b)}]" for a, b in n["pins"]))
                for n in self.nets]
        out += _list('  "nets": ', nets, "    ", ",")
        out.append('  "copper": {')
        tracks = ["{%s\"layer\": %d, \"width\": %d, \"from\": %s, \"to\": %s}"
                  % (_net(t["net"]), t["layer"], t["width"], point(t["from"]), point(t["to"])) for t in self.tracks]
        out += _list('    "tracks": ', tracks, "      ", ",")
        vias = ["{%s\"at\": %s, \"diameter\": %d}" % (_net(v["net"]), point(v["at"]), v["diameter"]) for v in self.vias]
        out += _list('    "vias": ', vias, "      ", ",")
        polygons = ["{%s\"layer\": %d, \"points\": [%s]}" % (_net(p["net"]), p["layer"], ", ".join(point(x) for x in p["points"]))
                    for p in self.polygons]
        out += _list('    "polygons": ', polygons, "      ")
        out += ["  }", "}"]
        return "\n".join(out) + "\n"


def _net(name):
    return f'"net": {q(name)}, ' if name else ""


def _pin(p):
    s = f'{{"at": {point(p["at"])}, "pad": {rect(p["pad"])}, '
    if p["layers"] is not None and sorted(p["layers"]) != ALL_LAYERS:
        s += '"layers": [' + ", ".join(str(x) for x in sorted(p["layers"])) + "], "
    return s + f'"attributes": {attributes(p["attributes"])}}}'


def _list(head, items, indent, tail=""):
    if not items:
        return [head + "[]" + tail]
    lines = [head + "["]
    lines += [indent + item + ("," if i + 1 < len(items) else "") for i, item in enumerate(items)]
    lines.append(indent[2:] + "]" + tail)
    return lines


def dip_pin(count, number, pitch=100 * MIL, row=300 * MIL):
    """Location of pin `number` of a DIP package of `count` pins, from the package centre:
    pins 1..n/2 left to right along the bottom row, the rest right to left along the top."""
    half = count // 2
    x0 = -(half - 1) * pitch // 2
    if number <= half:
        return (x0 + (number - 1) * pitch, -row // 2)
    return (x0 + (count - number) * pitch, row // 2)


def dip_outline(count, pitch=100 * MIL, row=300 * MIL):
    half = count // 2
    w = (half - 1) * pitch // 2 + pitch // 2
    return (-w, -row // 2 - pitch // 2, w, row // 2 + pitch // 2)


# 74HC00: four two-input NAND gates; (gate, pin group) by pin number.
NAND_PINS = {1: ("A", "IN"), 2: ("A", "IN"), 3: ("A", "OUT"), 4: ("B", "IN"), 5: ("B", "IN"), 6: ("B", "OUT"),
             8: ("C", "OUT"), 9: ("C", "IN"), 10: ("C", "IN"), 11: ("D", "OUT"), 12: ("D", "IN"), 13: ("D", "IN")}
# LM324: four op-amps; inverting and non-inverting inputs are not interchangeable.
OPAMP_PINS = {1: ("A", "OUT"), 2: ("A", "INN"), 3: ("A", "INP"), 5: ("B", "INP"), 6: ("B", "INN"), 7: ("B", "OUT"),
              8: ("C", "OUT"), 9: ("C", "INN"), 10: ("C", "INP"), 12: ("D", "INP"), 13: ("D", "INN"), 14: ("D", "OUT")}


def quad_package(board, ref, at, value, group, pins, power, gate_swap):
    """A 14-pin package of four equivalent gates; `power` maps pin number to its label."""
    part = board.part(ref, at, dip_outline(14), [("LQ_GATESWAP", str(gate_swap)), ("VALUE", value)])
    for n in range(1, 15):
        if n in power:
            attrs = [("LQ_PIN", str(n)), ("LQ_LABEL", power[n]), ("LQ_PINTYPE", "PWR")]
        else:
            gate, pin_group = pins[n]
            attrs = [("LQ_PIN", str(n)), ("LQ_GATE", gate), ("LQ_GATEGROUP", group), ("LQ_PINGROUP", pin_group)]
        board.pin(part, dip_pin(14, n), attrs)
    return part


def resistor(board, ref, at, value, vertical=False):
    part = board.part(ref, at, (-200 * MIL, -50 * MIL, 200 * MIL, 50 * MIL) if not vertical
                      else (-50 * MIL, -200 * MIL, 50 * MIL, 200 * MIL),
                      [("LQ_GATESWAP", "1"), ("VALUE", value)])
    for n, sign in ((1, -1), (2, 1)):
        offset = sign * 200 * MIL
        board.pin(part, (0, offset) if vertical else (offset, 0),
                  [("LQ_PIN", str(n)), ("LQ_GATE", "R"), ("LQ_GATEGROUP", "RESISTOR"), ("LQ_PINGROUP", "1")])
    return part


def connector(board, ref, at, count, pitch=100 * MIL):
    """A single-row header, pin 1 at the top; no swap information."""
    top = (count - 1) * pitch // 2
    part = board.part(ref, at, (-50 * MIL, -top - 50 * MIL, 50 * MIL, top + 50 * MIL),
                      [("LQ_GATESWAP", "0"), ("VALUE", f"HEADER-{count}")], pin_swap=False)
    for n in range(1, count + 1):
        board.pin(part, (0, top - (n - 1) * pitch), [("LQ_PIN", str(n))])
    return part
