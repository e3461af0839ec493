#!/usr/bin/env python3
"""Generates examples/medium.qbrd.json: a board of a few hundred parts with randomly wired nets,
for lqhost's end-to-end tests and for trying the automatic swap on something larger than the
sample. The same seed gives the same file, byte for byte, on every machine (the random numbers
come from a fixed linear congruential generator, not from Python's library).

    examples/generate_medium.py > examples/medium.qbrd.json

With --nands N, a larger board of the same kind (N quad NAND packages, N/8 quad op-amps, N
resistors, 9N nets, 40 packages to a row), for timing the page host on a large board:

    examples/generate_medium.py --nands 1000 > big.qbrd.json
"""
import argparse
import sys

sys.path.insert(0, __import__("os").path.dirname(__file__))
from qbrd import (MIL, MM, NAND_PINS, OPAMP_PINS, Board, connector, dip_pin,  # noqa: E402
                  quad_package, resistor)

SEED = 20240611
NANDS = 48        # 74HC00, gate swaps across packages
OPAMPS = 16       # LM324, gate swaps inside a package
RESISTORS = 64
HEADERS = 4       # 24-pin headers, two on each side
HEADER_PINS = 24
SIGNAL_NETS = 420
ROUTED = 12       # pins with a track on them


class Lcg:
    """Numerical Recipes' 32-bit LCG; plenty for shuffling a board."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def below(self, n):
        self.state = (1664525 * self.state + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) % n


def main():
    global NANDS, OPAMPS, RESISTORS, SIGNAL_NETS
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--nands", type=int, help="quad NAND packages (the board grows with them)")
    args = parser.parse_args()
    columns = 10
    if args.nands is not None:
        if args.nands < 1:
            parser.error("--nands: at least 1")
        NANDS, OPAMPS, RESISTORS, SIGNAL_NETS = args.nands, args.nands // 8, args.nands, 9 * args.nands
        columns = 40
    rng = Lcg(SEED)
    b = Board(zoom=100000)
    grid = 25 * MM
    signal_pins = []   # (ref, pin, location) of every pin that may carry a signal
    power = {"VCC": [], "GND": []}

    def place(k):
        return (30 * MM + (k % columns) * grid, 20 * MM + (k // columns) * grid)

    # Count, value, gate group, gate pins, supply pin labels, gate swap setting, and the board's
    # supply net of each supply pin, in the order the pins join their nets.
    kinds = [(NANDS, "74HC00", "NAND", NAND_PINS, {7: "GND", 14: "VCC"}, 2, [("GND", 7), ("VCC", 14)]),
             (OPAMPS, "LM324", "OPAMP", OPAMP_PINS, {4: "V+", 11: "V-"}, 1, [("VCC", 4), ("GND", 11)])]
    k = 0
    for count, value, group, pins, labels, gate_swap, supplies in kinds:
        for _ in range(count):
            ref, at = f"U{k + 1}", place(k)
            quad_package(b, ref, at, value, group, pins, labels, gate_swap)
            signal_pins += [(ref, str(n), _abs(at, dip_pin(14, n))) for n in pins]
            for net, pin in supplies:
                power[net].append((ref, str(pin)))
            k += 1
    for i in range(RESISTORS):
        ref = f"R{i + 1}"
        base = place(k + i // 2)
        at = (base[0] + (i % 2) * 12 * MM - 6 * MM, base[1] + 9 * MM)
        resistor(b, ref, at, ["1k", "4k7", "10k", "47k"][rng.below(4)], vertical=False)
        signal_pins += [(ref, "1", (at[0] - 200 * MIL, at[1])), (ref, "2", (at[0] + 200 * MIL, at[1]))]
    rows = (k + RESISTORS // 2 + columns - 1) // columns
    height = 20 * MM + rows * grid
    for h in range(HEADERS):
        ref = f"J{h + 1}"
        x = 8 * MM if h % 2 == 0 else 30 * MM + columns * grid
        y = height * (1 + 2 * (h // 2)) // 4
        connector(b, ref, (x, y), HEADER_PINS)
        top = (HEADER_PINS - 1) * 100 * MIL // 2
        signal_pins += [(ref, str(n), (x, y + top - (n - 1) * 100 * MIL)) for n in range(1, HEADER_PINS + 1)]

    # Shuffle, then deal the pins out to nets of two to four pins.
    for i in range(len(signal_pins) - 1, 0, -1):
        j = rng.below(i + 1)
        signal_pins[i], signal_pins[j] = signal_pins[j], signal_pins[i]
    used = 0
    for n in range(SIGNAL_NETS):
        size = 2 + rng.below(3)
        if used + size > len(signal_pins):
            break
        members = signal_pins[used:used + size]
        used += size
        b.net(f"S{n + 1}", [(ref, pin) for ref, pin, _ in members])
        if n < ROUTED:
            ref, pin, at = members[0]
            b.track(f"S{n + 1}", 1 + n % 2, 200_000, at, (at[0], at[1] + 3 * MM))
    b.net("VCC", power["VCC"])
    b.net("GND", power["GND"])
    sys.stdout.write(b.write())


def _abs(at, rel):
    return (at[0] + rel[0], at[1] + rel[1])


if __name__ == "__main__":
    main()
