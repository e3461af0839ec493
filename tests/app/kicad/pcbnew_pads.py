# Every pad of a KiCad 6 board as KiCad's own pcbnew loads it, one line each:
#   REF.PAD <tab> NET <space> ROUTED <space> X <space> Y
# PAD is the pad number, its k-th repeat in a footprint NUMBER#k; ROUTED is 1 when a track or arc
# of the pad's net ends on the pad, a via of the net sits on it, or a filled zone of the net covers
# its centre, on a copper layer of the pad; X and Y are the pad's position in nanometres. Run with
# /usr/bin/python3 (Debian's, with pcbnew).
import sys

import pcbnew

board = pcbnew.LoadBoard(sys.argv[1])
enabled = set(board.GetEnabledLayers().CuStack())
tracks = list(board.GetTracks())
zones = list(board.Zones())


def copper_layers(item):
    if item.Type() == pcbnew.PCB_VIA_T:
        top, bottom = sorted((item.TopLayer(), item.BottomLayer()))
        return set(range(top, bottom + 1)) & enabled
    return {item.GetLayer()}


for fp in board.GetFootprints():
    seen = {}
    for pad in fp.Pads():
        number = pad.GetNumber()
        if not number or pad.GetAttribute() == pcbnew.PAD_ATTRIB_NPTH:
            continue
        seen[number] = seen.get(number, 0) + 1
        name = number if seen[number] == 1 else "%s#%d" % (number, seen[number])
        net = pad.GetNetname()
        layers = set(pad.GetLayerSet().CuStack()) & enabled
        routed = False
        for t in tracks:
            if routed or not net or t.GetNetname() != net or not (copper_layers(t) & layers):
                continue
            ends = [t.GetPosition()] if t.Type() == pcbnew.PCB_VIA_T else [t.GetStart(), t.GetEnd()]
            routed = any(pad.HitTest(p) for p in ends)
        for z in zones:
            if routed or not net or z.GetNetname() != net:
                continue
            routed = any(z.HitTestFilledArea(l, pad.GetPosition()) for l in set(z.GetLayerSet().CuStack()) & layers)
        at = pad.GetPosition()
        print("%s.%s\t%s %d %d %d" % (fp.GetReference(), name, net, 1 if routed else 0, at.x, at.y))
