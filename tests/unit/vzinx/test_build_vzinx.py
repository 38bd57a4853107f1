"""The VZ.INX builder: what it writes, read back by the documented layout, and
what it refuses (run on the host by ctest: tools.vzinx)."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "vzinx"))

import build_vzinx  # noqa: E402


def hexof(text):
    return text.encode("ascii").hex()


def build(lines):
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "list.ndb")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        sigs = build_vzinx.read_list(path)
        return build_vzinx.build_index(sigs), sigs


def read_index(data):
    """The index read back by docs/formats/vz-inx.md."""
    assert data[:2] == b"VZ" and data[2] == 1 and data[3] & 1
    section = struct.unpack_from("<I", data, 4)[0]
    count = (section - 8) // 40
    assert data[section:section + 4] == b"VZSG"
    n, body_len, crc = struct.unpack_from("<III", data, section + 4)
    bodies = data[section + 16:]
    assert n == count and body_len == len(bodies) and crc == zlib.crc32(bodies)
    records = []
    for i in range(count):
        r = data[8 + 40 * i:8 + 40 * (i + 1)]
        kind, anchor, vid, offset, shift, sect, at, length = struct.unpack_from("<BBhiHHIH", r)
        name = bytes((b - 60) & 0xFF for b in r[24:40]).split(b"\0")[0].decode()
        body = bytes((b - 60) & 0xFF for b in bodies[at:at + length])
        records.append(dict(kind=kind, anchor=anchor, id=vid, offset=offset, shift=shift, section=sect,
                            name=name, body=body, raw_name=r[24:40]))
    return records


class WhatItWrites(unittest.TestCase):
    def test_kinds_offsets_and_names(self):
        data, _ = build([
            "# comment",
            "Vz301.Top.Test:0:7,3:" + hexof("ABC"),
            "Vz16.OneHalf:0:EOF-40,8:" + hexof("DEF"),
            "Vz5000.Anxiety:1:EP-16:" + hexof("GHI"),
            "Vz5001.Cabanas:1:S2+5,1:" + hexof("JKL"),
            "Vz8000.Cabanas.3000:1:SL+9:" + hexof("MNO"),
            "Vz20.Natas:0:*:" + hexof("PQR") + "??4?(41|42){2-5}" + hexof("ST"),
            "VzM901.Memory.Only:0:*:" + hexof("MEMORYMARK"),
        ])
        r = read_index(data)
        self.assertEqual(len(r), 6, "memory signatures stay out of the index")
        expect = [
            (1, 0, 301, 7, 3, 0, "Top.Test"),
            (2, 0, 16, 40, 8, 0, "OneHalf"),
            (5, 0, 5000, -16, 0, 0, "Anxiety"),
            (5, 1, 5001, 5, 1, 2, "Cabanas"),
            (5, 2, 8000, 9, 0, 0, "Cabanas.3000"),
            (4, 0, 20, 0, 0, 0, "Natas"),
        ]
        for rec, (kind, anchor, vid, offset, shift, sect, name) in zip(r, expect):
            self.assertEqual((rec["kind"], rec["anchor"], rec["id"], rec["offset"], rec["shift"], rec["section"],
                              rec["name"]), (kind, anchor, vid, offset, shift, sect, name))
        self.assertEqual(r[0]["body"], bytes([1, 3, 0, 0, 0x41, 0, 0x42, 0, 0x43]))
        poly = r[5]["body"]
        self.assertEqual(poly[0], 2)  # two parts
        self.assertEqual(poly[1:3], struct.pack("<H", 6))
        self.assertEqual(poly[3:9], bytes([0, 0x50, 0, 0x51, 0, 0x52]))
        self.assertEqual(poly[9:14], bytes([1, 2, 0x40, 4, 2]))
        self.assertEqual(poly[14:16], bytes([0x41, 0x42]))
        self.assertEqual(struct.unpack_from("<IIH", poly, 16), (2, 5, 2))

    def test_name_field_is_padded_with_encoded_zeros(self):
        data, _ = build(["Vz1.Fifteen.Chars.X:0:0:" + hexof("ABC")])
        raw = read_index(data)[0]["raw_name"]
        self.assertEqual(raw, bytes((b + 60) & 0xFF for b in b"Fifteen.Chars.X\0"))
        data, _ = build(["Vz1.Ab:0:0:" + hexof("ABC")])
        raw = read_index(data)[0]["raw_name"]
        self.assertEqual(raw, bytes([ord("A") + 60, ord("b") + 60]) + bytes([60]) * 14)

    def test_fixed_gaps_become_any_bytes(self):
        data, _ = build(["Vz1.Gap:0:0:" + hexof("AB") + "{3}" + hexof("C")])
        self.assertEqual(read_index(data)[0]["body"], bytes([1, 6, 0, 0, 0x41, 0, 0x42, 1, 1, 1, 0, 0x43]))

    def test_no_marker_appears_in_the_index_as_itself(self):
        data, _ = build(["Vz1.Plain:0:*:" + hexof("PLAIN-MARKER-TEXT")])
        self.assertNotIn(b"PLAIN-MARKER-TEXT", data)
        self.assertNotIn(b"PLAIN", data)

    def test_memory_header_holds_patterns_encoded_only(self):
        _, sigs = build(["VzM7.Resident:0:*:" + hexof("RESIDENT-MARKER")])
        header = build_vzinx.memory_header(sigs, "list.ndb")
        encoded = ", ".join("0x%02X" % (b ^ build_vzinx.MEMORY_KEY) for b in b"RESIDENT-MARKER")
        self.assertIn(encoded, header)
        self.assertNotIn("RESIDENT-MARKER", header)
        self.assertIn('{7, "Resident", 15, kPattern0}', header)

    def test_same_id_may_have_several_signatures(self):
        data, _ = build(["Vz2003.OneHalf:0:EOF-9:" + hexof("ABC"), "Vz2003.OneHalf:0:*:" + hexof("DEFG")])
        self.assertEqual([r["id"] for r in read_index(data)], [2003, 2003])


class WhatItRefuses(unittest.TestCase):
    REFUSED = {
        "reserved id 2030": "Vz2030.X:0:0:414243",
        "reserved id 4999": "Vz4999.X:0:0:414243",
        "reserved id 5002": "Vz5002.X:0:0:414243",
        "reserved id 7999": "Vz7999.X:0:0:414243",
        "reserved id 8001": "Vz8001.X:0:0:414243",
        "id 0": "Vz0.X:0:0:414243",
        "id beyond 16 bits": "Vz32768.X:0:0:414243",
        "16 named otherwise": "Vz16.Natas:0:0:414243",
        "20 named otherwise": "Vz20.OneHalf:0:0:414243",
        "2007 uncut": "Vz2007.ScreamingFist.696:0:0:414243",
        "5000 named otherwise": "Vz5000.Cabanas:1:EP+0:414243",
        "name of 16 characters": "Vz1.Sixteen.Chars.XY:0:0:414243",
        "no id": "Vz.X:0:0:414243",
        "not a Vz name": "Eicar.Test:0:0:414243",
        "five fields": "Vz1.X:0:0:414243:51",
        "target 1 anywhere": "Vz1.X:1:*:414243",
        "EP without target 1": "Vz1.X:0:EP+0:414243",
        "EOF-0": "Vz1.X:0:EOF-0:414243",
        "section 96": "Vz1.X:1:S96+0:414243",
        "SE offset": "Vz1.X:1:SE1:414243",
        "variable gap in a top signature": "Vz1.X:0:0:4142{1-3}43",
        "star in a bottom signature": "Vz1.X:0:EOF-10:4142*43",
        "negation": "Vz1.X:0:*:414243!(44|45)",
        "multi-byte alternatives": "Vz1.X:0:*:414243(4445|4647)",
        "starting with a wildcard": "Vz1.X:0:*:??414243",
        "ending with a gap": "Vz1.X:0:*:414243*",
        "poly without three plain bytes": "Vz1.X:0:*:4142??4344",
        "odd hex": "Vz1.X:0:*:4142434",
        "memory signature with wildcards": "VzM1.X:0:*:41424344??45464748",
        "memory signature too short": "VzM1.X:0:*:41424344",
        "memory signature anchored": "VzM1.X:0:0:4142434445464748",
        "empty line": "",
    }

    def test_refused_lines(self):
        for why, line in self.REFUSED.items():
            with self.subTest(why):
                with self.assertRaises(build_vzinx.ListError):
                    build([line])

    def test_one_id_with_two_names(self):
        with self.assertRaises(build_vzinx.ListError):
            build(["Vz5.One:0:0:414243", "Vz5.Two:0:0:444546"])

    def test_accepted_names_of_the_helper_tables(self):
        build(["Vz2007.ScreamingFist.6:0:0:414243", "Vz2001.Inferno (T-Rex):0:0:414243",
               "Vz8000.Cabanas.3000:1:SL+0:414243", "Vz1999.Free.Name:0:0:414243"])

    def test_the_command_reports_line_numbers(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "bad.ndb")
            with open(path, "w") as f:
                f.write("# fine\nVz1.Ok:0:0:414243\nVz2030.Bad:0:0:414243\n")
            out = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "vzinx", "build_vzinx.py"), path,
                                  "--index", os.path.join(d, "VZ.INX")], capture_output=True, text=True)
            self.assertEqual(out.returncode, 1)
            self.assertIn("bad.ndb:3:", out.stderr)
            self.assertFalse(os.path.exists(os.path.join(d, "VZ.INX")))


class TheShippedList(unittest.TestCase):
    LIST = os.path.join(ROOT, "tools", "vzinx", "signatures.ndb")

    def test_it_builds(self):
        sigs = build_vzinx.read_list(self.LIST)
        self.assertTrue(any(s.memory for s in sigs))
        read_index(build_vzinx.build_index(sigs))

    @unittest.skipUnless(shutil.which("clamscan"), "clamscan is not installed")
    def test_clamscan_reads_it_and_finds_the_test_marker(self):
        with tempfile.TemporaryDirectory() as d:
            sample = os.path.join(d, "sample.com")
            with open(sample, "wb") as f:
                f.write(b"VELZOR-HARMLESS-TEST-MARKER" + bytes(100))
            out = subprocess.run(["clamscan", "--no-summary", "-d", self.LIST, sample], capture_output=True, text=True)
            self.assertEqual(out.returncode, 1, out.stderr)
            self.assertIn("Vz301.Velzor.Test", out.stdout)


if __name__ == "__main__":
    unittest.main()
