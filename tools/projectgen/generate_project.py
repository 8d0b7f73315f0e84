#!/usr/bin/env python3
"""Writes a synthetic project file of a given size class, the same bytes on
every run for the same arguments.

    generate_project.py S|M|L OUTPUT [--project-mode] [--devices N]
        [--tos-per-device N] [--messages-per-category N] [--projects N]

S is about 100 KB, M about 5 MB, L about 50 MB; the options change one
dimension of the size class's shape (TOs per device from 1 up, projects from
1 to 31). The file has devices with
TOs, connection attributes and routing, both event classes with user alarm,
TO type, custom and diagnosis categories, messages in German and English with
placeholders of all three alarm types, comments and indentation. Categories
"TOTBENCH100", "TOTBENCH1000" and "TOTBENCH10000" (as far as the size allows)
hold exactly that many messages and are the categories of the TOs whose
TypeID is "BENCH100" and so on. With --project-mode the root carries "Proj"
and the user alarms are split into 31 projects (or --projects).
"""

import argparse
import random
import sys

SIZES = {
    # devices, TOs per device (the same everywhere, so that per-device costs
    # compare), messages per ordinary category, benchmark categories
    "S": (40, 8, 52, (100,)),
    "M": (1500, 8, 2500, (100, 1000, 10000)),
    "L": (8000, 8, 35000, (100, 1000, 10000)),
}

TO_TYPES = [
    ("TOPOSAXIS", "25A0AFB1-337A-11D3-8F3E-00105A2DC995"),
    ("TOMEASURINGINPUTTYPE", "323D0D81-32F6-11D3-8F3C-00105A2DC995"),
    ("TOOUTPUTCAMTYPE", "004C0831-32F9-11D3-8F3C-00105A2DC995"),
    ("TOEXTERNALENCODERTYPE", "B9ACAF91-337F-11D3-8F3E-00105A2DC995"),
    ("TOCAMTYPE", "4516CE54-32EB-11D3-8F3C-00105A2DC995"),
    ("TOFOLLOWINGAXIS", "05DAC271-32EE-11D3-8F3C-00105A2DC995"),
    ("TOFOLLOWINGOBJECTTYPE", "4516CE52-32EB-11D3-8F3C-00105A2DC995"),
]

USER_TEXTS = [
    ("Füllstand @1W%d@ mm in Behälter", "Level @1W%d@ mm in tank"),
    ("Temperatur @1I%5.2f@ °C überschritten", "Temperature @1I%5.2f@ C exceeded"),
    ("Status @1B%X@ gemeldet", "State @1B%X@ reported"),
    ("Druck @1R%6.2f@ bar", "Pressure @1R%6.2f@ bar"),
    ("Zähler @1D%u@ erreicht", "Counter @1D%u@ reached"),
]
TO_TEXTS = [
    ("Achse /1/%d: Fehler /2/%d", "Axis /1/%d: error /2/%d"),
    ("Nocken /1/%d ungültig, Wert /2/%X", "Cam /1/%d invalid, value /2/%X"),
    ("Geber /1/%d gestört", "Encoder /1/%d failed"),
]
DIAG_TEXTS = [
    ("Baugruppe $Z1%04X gestört, Steckplatz $Z4%d", "Module $Z1%04X failed, slot $Z4%d"),
    ("Spannungsausfall Rack $Z5%d", "Power failure rack $Z5%d"),
    ("Fehlercode $Z1/2%08X", "Error code $Z1/2%08X"),
]


class Writer:
    def __init__(self, out):
        self.out = out
        self.depth = 0

    def line(self, text):
        self.out.write("  " * self.depth + text + "\n")

    def open(self, text):
        self.line(text)
        self.depth += 1

    def close(self, text):
        self.depth -= 1
        self.line(text)


def messages(w, rng, count, texts, first=1, extra=""):
    for k in range(count):
        de, en = texts[(first + k) % len(texts)]
        severity = rng.randrange(1, 1000)
        w.line(f'<ID{first + k:08X} MSG0407="{de} {k}" MSG0409="{en} {k}" Severity="{severity}"{extra}/>')


def category(w, rng, name, description, count, texts, with_area=False):
    w.open(f'<{name} CatDescr="{description}">')
    area = ' Area="Anlagenbereich"' if with_area else ""
    w.line(f'<Attributes CatDescr="Kategorie" MSG0407="Meldungstext" MSG0409="Message text" Severity="Wichtigkeit"{area}/>')
    messages(w, rng, count, texts, extra=' Area="Hall 1"' if with_area else "")
    w.close(f"</{name}>")


def conditional(w, rng, args, per_category, bench):
    w.open("<CONDITIONAL>")
    w.line("<!-- user alarms -->")
    if args.project_mode:
        w.open("<U7SQ>")
        for p in range(1, args.projects + 1):
            category(w, rng, f"ProjLine{p}", f"Linie {p}", max(1, per_category // 10), USER_TEXTS, True)
        w.close("</U7SQ>")
        w.open("<USERDIAG>")
        for p in range(1, args.projects + 1, 2):
            category(w, rng, f"ProjLine{p}", f"Linie {p} Diagnose", max(1, per_category // 20), DIAG_TEXTS)
        w.close("</USERDIAG>")
    else:
        category(w, rng, "U7SQ", "Benutzermeldungen", per_category, USER_TEXTS, True)
    w.line("<!-- technology objects -->")
    for name, _ in TO_TYPES:
        category(w, rng, name, f"Meldungen {name}", per_category, TO_TEXTS)
    for count in bench:
        category(w, rng, f"TOTBENCH{count}", f"Benchmark {count}", count, TO_TEXTS, True)
    w.close("</CONDITIONAL>")


def simple(w, rng, per_category):
    w.open("<SIMPLE>")
    category(w, rng, "U7DIAG", "Systemdiagnose", per_category, DIAG_TEXTS)
    category(w, rng, "Custom_Simple", "Weitere Meldungen", per_category // 2, TO_TEXTS)
    w.close("</SIMPLE>")


def devices(w, rng, args, device_count, tos_per_device, bench):
    w.open("<DEVICES>")
    for d in range(device_count):
        name = f"PLC_{d:05d}"
        routed = d % 10 == 7
        attributes = [
            f'CheckSum="{rng.getrandbits(32):08X}"',
            f'MPIDefault="{"10.%d.%d.%d" % (d % 250, d // 250 % 250, 1 + d % 200) if routed else d % 126 + 1}"',
            f'CONNNAME="Connection {d}"',
            f'TIMEOUT="{5000 + d % 7 * 1000}"',
            f'CPUVersion="{"0301" if d % 3 else "0300"}"',
            f'LocTSAP="01.{d % 16:02d}"',
            f'TimeDifference="{(d % 5 - 2) * 60}"',
        ]
        if args.project_mode:
            attributes.insert(0, f'Project="Line{d % args.projects + 1}"')
        if routed:
            attributes.append(f'SubnetID="{0x00120001 + d:08X}"')
        if d % 50 == 0:
            w.line(f"<!-- devices from {d} -->")
        w.open(f"<{name} {' '.join(attributes)}>")
        if routed:
            w.line(f'<RoutInfo ROUTNET="Ethernet{d % 4}" ROUTDEV="Router_{d:05d}" ROUTADR="192.168.{d % 250}.{d % 200 + 1}"/>')
        for t in range(tos_per_device):
            if t < len(bench) and d % 10 == t:
                type_id = f"BENCH{bench[t]}"
            else:
                type_id = TO_TYPES[(d + t) % len(TO_TYPES)][1]
            w.line(f'<RT{t + 1} Name="TO_{d}_{t}" TypeID="{type_id}"/>')
        w.close(f"</{name}>")
    w.close("</DEVICES>")
    # Routers described outside the device list, as the routing lookups expect.
    w.open("<ROUTERS>")
    for d in range(7, device_count, 10):
        w.open(f"<Router_{d:05d}>")
        w.line('<Module SLOT=""/>')
        w.line(f'<Module SLOT="{d % 8 + 1}"/>')
        w.close(f"</Router_{d:05d}>")
    w.close("</ROUTERS>")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("size", choices=sorted(SIZES))
    parser.add_argument("output")
    parser.add_argument("--project-mode", action="store_true")
    parser.add_argument("--devices", type=int)
    parser.add_argument("--tos-per-device", type=int)
    parser.add_argument("--messages-per-category", type=int)
    parser.add_argument("--projects", type=int, default=31, choices=range(1, 32), metavar="1..31")
    args = parser.parse_args()
    device_count, tos_per_device, per_category, bench = SIZES[args.size]
    device_count = args.devices or device_count
    tos_per_device = max(1, args.tos_per_device or tos_per_device)
    per_category = args.messages_per_category or per_category
    # The seed of the plain size classes stays as it was, so their files do too.
    shape = [args.devices, args.tos_per_device, args.messages_per_category, args.projects]
    seed = f"{args.size}-{args.project_mode}" + ("" if shape == [None, None, None, 31] else f"-{shape}")
    rng = random.Random(seed)
    with open(args.output, "w", encoding="utf-8", newline="\n") as out:
        w = Writer(out)
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        out.write(f"<!-- synthetic project, size class {args.size} -->\n")
        w.open('<OPC_AE Proj="Synthetic">' if args.project_mode else "<OPC_AE>")
        conditional(w, rng, args, per_category, bench)
        simple(w, rng, per_category)
        devices(w, rng, args, device_count, tos_per_device, bench)
        w.open("<CORVALIS>")
        w.line('<ConnectionInfo CONNNAME="Synthetic plant" CREDITS="4" DEFAULTSEVERITYALARM="600" SZLRepeat="200" RemTSAP="02.02"/>')
        w.close("</CORVALIS>")
        w.close("</OPC_AE>")
    return 0


if __name__ == "__main__":
    sys.exit(main())
