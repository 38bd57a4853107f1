#!/usr/bin/env python3
"""Writes the benchmark's file set and signature lists (deterministic, seeded).

    gen_corpus.py OUT_FOLDER [--files N] [--seed S]

OUT_FOLDER/files/        the files: clean ones of several kinds (random binary, PE
                         images, COM-like programs, text) with log-uniform sizes from
                         1 KiB to 2 MiB, and one file for each positive signature
OUT_FOLDER/list50.ndb    the positive signatures and decoys, 50 in all
OUT_FOLDER/list5000.ndb  the same and more decoys, 5000 in all
OUT_FOLDER/expected.txt  file name and id of the signature each positive file holds

Every pattern is a harmless made-up marker or random bytes. Decoys match nothing.
"""

import argparse
import math
import os
import random
import struct

KB = 1024


def pe_image(rng, size, marker_at_entry=None, marker_in_section=None, marker_in_last=None):
    """A PE32 image: headers, then sections of file alignment 0x200 with random
    content; the entry point 0x20 bytes into the first section."""
    sections = rng.randint(3, 5)
    body = max(size - 0x400, sections * 0x200)
    raw = [((body // sections) // 0x200 + 1) * 0x200 for _ in range(sections)]
    data = bytearray(0x400)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, 0x80)
    data[0x80:0x84] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", data, 0x84, 0x14C, sections, 0, 0, 0, 0xE0, 0x0102)
    opt = 0x98
    rvas = [0x1000 * (1 + sum((r + 0xFFF) // 0x1000 for r in raw[:i])) for i in range(sections)]
    image_size = rvas[-1] + ((raw[-1] + 0xFFF) // 0x1000) * 0x1000
    entry = rvas[0] + 0x20
    struct.pack_into("<HBBIIIIII", data, opt, 0x10B, 2, 30, raw[0], sum(raw[1:]), 0, entry, rvas[0], rvas[0])
    struct.pack_into("<III", data, opt + 28, 0x400000, 0x1000, 0x200)
    struct.pack_into("<HHHHHH", data, opt + 40, 4, 0, 0, 0, 4, 0)
    struct.pack_into("<IIII", data, opt + 56, image_size, 0x400, 0, 3)
    struct.pack_into("<IIIIII", data, opt + 72, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    table = opt + 0xE0
    offset = 0x400
    for i in range(sections):
        name = (b".sec%d" % i).ljust(8, b"\0")
        struct.pack_into("<8sIIIIIIHHI", data, table + 40 * i, name, raw[i], rvas[i], raw[i], offset, 0, 0, 0, 0,
                         0x60000020 if i == 0 else 0xC0000040)
        offset += raw[i]
    data += rng.randbytes(sum(raw))
    starts = [0x400 + sum(raw[:i]) for i in range(sections)]
    if marker_at_entry:
        data[starts[0] + 0x20:starts[0] + 0x20 + len(marker_at_entry)] = marker_at_entry
    if marker_in_section:
        s, off, m = marker_in_section
        data[starts[s] + off:starts[s] + off + len(m)] = m
    if marker_in_last:
        data[starts[-1]:starts[-1] + len(marker_in_last)] = marker_in_last
    return bytes(data)


def clean_file(rng, kind, size):
    if kind == "pe":
        return pe_image(rng, size), ".EXE"
    if kind == "com":
        return b"\xE9" + rng.randbytes(size - 1), ".COM"
    if kind == "text":
        words = [b"setup", b"velzor", b"system", b"driver", b"memory", b"file", b"the", b"and", b"scan"]
        out = bytearray()
        while len(out) < size:
            out += rng.choice(words) + (b"\r\n" if rng.random() < 0.1 else b" ")
        return bytes(out[:size]), ".OVR"
    return rng.randbytes(size), rng.choice([".OVL", ".DRV", ".SYS", ".DLL"])


def positives(rng):
    """(file name, bytes, id, signature line) for each positive."""
    m = lambda text: text.encode("ascii")
    out = []

    def add(name, data, vid, line):
        out.append((name, data, vid, line))

    add("P01_TOP.COM", m("BENCH-TOP-AT-ZERO") + rng.randbytes(40 * KB), 101, "Vz101.Bench.Top:0:0:" + m("BENCH-TOP-AT-ZERO").hex())
    d = bytearray(rng.randbytes(60 * KB))
    d[33:33 + 15] = m("BENCH-TOP-FLOAT")
    add("P02_TOPF.COM", bytes(d), 102, "Vz102.Bench.TopF:0:0,64:" + m("BENCH-TOP-FLOAT").hex())
    add("P03_BOT.SYS", rng.randbytes(300 * KB) + m("BENCH-BOTTOM-END"), 16, "Vz16.OneHalf:0:EOF-16:" + m("BENCH-BOTTOM-END").hex())
    add("P04_BOTF.SYS", rng.randbytes(200 * KB) + m("BENCH-BOTTOM-FLOAT") + rng.randbytes(100), 2003,
        "Vz2003.OneHalf:0:EOF-256,240:" + m("BENCH-BOTTOM-FLOAT").hex())
    add("P05_POLY.OVL", rng.randbytes(500 * KB) + m("BENCH-POLY-") + b"\x01\x02" + m("-WILD") + rng.randbytes(500 * KB), 20,
        "Vz20.Natas:0:*:" + m("BENCH-POLY-").hex() + "????" + m("-WILD").hex())
    add("P06_GAP.OVL", rng.randbytes(700 * KB) + m("BENCH-GAP-A") + b"1234" + m("BENCH-GAP-B") + rng.randbytes(10 * KB), 2004,
        "Vz2004.Natas:0:*:" + m("BENCH-GAP-A").hex() + "{3-5}" + m("BENCH-GAP-B").hex())
    add("P07_ALT.DRV", rng.randbytes(90 * KB) + m("BENCH-ALT-B7-END") + rng.randbytes(1200 * KB), 2011,
        "Vz2011.Tequila.2468:0:*:" + m("BENCH-ALT-").hex() + "(41|42|43)3?" + m("-END").hex())
    add("P08_FAR.DRV", rng.randbytes(50 * KB) + m("BENCH-FAR-ONE") + rng.randbytes(100 * KB) + m("BENCH-FAR-TWO")
        + rng.randbytes(30 * KB), 2012, "Vz2012.Flip.2343:0:*:" + m("BENCH-FAR-ONE").hex() + "*" + m("BENCH-FAR-TWO").hex())
    add("P09_EP.EXE", pe_image(rng, 150 * KB, marker_at_entry=m("BENCH-PE-ENTRY")), 5000,
        "Vz5000.Anxiety:1:EP+0:" + m("BENCH-PE-ENTRY").hex())
    add("P10_SECT.EXE", pe_image(rng, 400 * KB, marker_in_section=(1, 2, m("BENCH-PE-SECTION"))), 5001,
        "Vz5001.Cabanas:1:S1+2:" + m("BENCH-PE-SECTION").hex())
    add("P11_LAST.DLL", pe_image(rng, 80 * KB, marker_in_last=m("BENCH-PE-LAST")), 8000,
        "Vz8000.Cabanas.3000:1:SL+0:" + m("BENCH-PE-LAST").hex())
    add("P12_ANY.OVL", rng.randbytes(1500 * KB) + m("BENCH-ANYWHERE") + rng.randbytes(3 * KB), 301,
        "Vz301.Bench.Any:0:*:" + m("BENCH-ANYWHERE").hex())
    return out


def decoy(rng, n):
    """A signature of one of the kinds above, made of random bytes."""
    vid = 400 + n % 1500  # several decoys share an id, and so its name
    h = lambda k: rng.randbytes(k).hex()
    kind = n % 6
    if kind == 0:
        return "Vz%d.Decoy%d:0:%d,%d:%s" % (vid, vid, rng.randint(0, 512), rng.randint(0, 64), h(rng.randint(8, 16)))
    if kind == 1:
        return "Vz%d.Decoy%d:0:EOF-%d:%s" % (vid, vid, rng.randint(16, 300), h(rng.randint(8, 16)))
    if kind == 2:
        anchor = rng.choice(["EP+%d" % rng.randint(0, 64), "S0+%d" % rng.randint(0, 64), "SL+%d" % rng.randint(0, 64)])
        return "Vz%d.Decoy%d:1:%s:%s" % (vid, vid, anchor, h(rng.randint(8, 16)))
    if kind == 3:
        return "Vz%d.Decoy%d:0:*:%s????%s" % (vid, vid, h(6), h(4))
    if kind == 4:
        return "Vz%d.Decoy%d:0:*:%s{2-8}%s" % (vid, vid, h(6), h(5))
    return "Vz%d.Decoy%d:0:*:%s" % (vid, vid, h(rng.randint(8, 14)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1995)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    files = os.path.join(args.out, "files")
    os.makedirs(files, exist_ok=True)
    for old in os.listdir(files):
        os.remove(os.path.join(files, old))

    kinds = ["random", "pe", "com", "text"]
    pos = positives(rng)
    for i in range(args.files - len(pos)):
        size = int(math.exp(rng.uniform(math.log(1 * KB), math.log(2048 * KB))))
        data, ext = clean_file(rng, kinds[i % len(kinds)], size)
        with open(os.path.join(files, "F%03d%s" % (i, ext)), "wb") as f:
            f.write(data)
    with open(os.path.join(args.out, "expected.txt"), "w") as f:
        for name, data, vid, _ in pos:
            with open(os.path.join(files, name), "wb") as g:
                g.write(data)
            f.write("%s %d\n" % (name, vid))

    lines = [line for _, _, _, line in pos]
    for total, name in ((50, "list50.ndb"), (5000, "list5000.ndb")):
        drng = random.Random(args.seed + 1)
        body = lines + [decoy(drng, n) for n in range(total - len(lines))]
        with open(os.path.join(args.out, name), "w") as f:
            f.write("# benchmark signatures: %d\n" % total)
            f.write("\n".join(body) + "\n")


if __name__ == "__main__":
    main()
