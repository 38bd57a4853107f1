#!/usr/bin/env python3
"""Builds the signature index VZ.INX from the readable signature list.

The list is a subset of ClamAV's extended signature (.ndb) syntax, so that
`clamscan -d LIST` reads the very same file:

    # comment
    Vz<id>.<name>:<target>:<offset>:<hex signature>      file signature
    VzM<id>.<name>:0:*:<hex bytes>                       memory signature

The offset field chooses the scan kind of a file signature:

    n  or  n,shift                  top: from the start of the file
    EOF-n  or  EOF-n,shift          bottom: n bytes before the end of the file
    EP+n, EP-n, Sx+n, SL+n (,shift) PE: from the entry point, the start of
                                    section x (from 0) or of the last section;
                                    target 1 (PE files) only
    *                               polymorphic: anywhere in the file

The layout of VZ.INX is described in docs/formats/vz-inx.md. Memory
signatures do not go into the index: --memory-header writes them, encoded, as
a C++ header for the memory scan library.

    build_vzinx.py LIST --index OUT [--memory-header OUT.h]
    build_vzinx.py LIST --check

Exit status 0 on success; on a fault in the list, 1 with "LIST:LINE: why".
"""

import argparse
import re
import struct
import sys
import zlib

# --- What the setup helper makes of virus ids ---------------------------------
# Findings of the bottom, PE and polymorphic scans with these ids are named by
# the helper's own tables, not by the index; the index must carry the same
# name (cut to the 15 characters a name field holds) so that every kind of
# finding names one virus alike.
SERIES_2000 = [
    "Invisible", "Inferno (T-Rex)", "Dir.Byway", "OneHalf", "Natas", "Junkie.1027",
    "Avispa.2048", "ScreamingFist.696", "Desperado.2403", "Vampiro.1000",
    "Predator.2448", "Tequila.2468", "Flip.2343", "Flip.2153", "Tremor.4000",
    "FileDate.570", "Ontario.1024", "Fish.3584", "Maltes Amoeba", "Arianna.3375",
    "NoFrills.Dudely", "V2PX", "Haifa.2354", "Manzon", "Campana", "Lazarus.2222",
    "HLLC.Evenbeeper", "Spanska.4250", "Batman.3372", "HLL.Crawen",
]
BUILTIN_NAMES = {16: "OneHalf", 20: "Natas", 5000: "Anxiety", 5001: "Cabanas", 8000: "Cabanas.3000"}
BUILTIN_NAMES.update({2000 + i: name for i, name in enumerate(SERIES_2000)})

MAX_ID = 32767              # ids and record numbers are 16-bit signed
MAX_RECORDS = 32767
NAME_FIELD = 16             # bytes 24..39 of a record: 15 characters and a zero
NAME_SHIFT = 60             # each stored name byte is the name's byte + 60
BODY_SHIFT = 60             # the signature bodies are stored the same way

# --- Format constants (docs/formats/vz-inx.md) ---------------------------------
HEADER_MAGIC = b"VZ"
FORMAT_VERSION = 1
FLAG_SIGNATURE_SECTION = 0x01
HEADER_SIZE = 8
RECORD_SIZE = 40
SECTION_MAGIC = b"VZSG"
SECTION_HEADER_SIZE = 16

KIND_TOP, KIND_BOTTOM, KIND_POLY, KIND_PE = 1, 2, 4, 5
ANCHOR_EP, ANCHOR_SECTION, ANCHOR_LAST_SECTION = 0, 1, 2

OP_BYTE, OP_ANY, OP_HIGH_NIBBLE, OP_LOW_NIBBLE, OP_CHOICE = 0, 1, 2, 3, 4
GAP_UNBOUNDED = 0xFFFFFFFF

# --- Limits of this builder (the matcher's windows are sized by them) ----------
MAX_ANCHORED_OFFSET = 1 << 20   # top and bottom offsets, PE distances
MAX_SHIFT = 0xFFFF
MAX_PART_ELEMENTS = 4096
MAX_PARTS = 16
MAX_FIXED_GAP = 4096
MAX_CHOICES = 32
MIN_POLY_ANCHOR = 3             # static bytes in a row in the first part
MAX_SECTION = 95                # sections are numbered from 0; PE allows 96
MEMORY_MIN, MEMORY_MAX = 8, 256
MEMORY_KEY = 0xA7               # memory patterns are kept XOR this byte
MAX_ERRORS_SHOWN = 20

NAME_RE = re.compile(r"^Vz(M?)(\d+)\.(.+)$")


class ListError(Exception):
    pass


class Element:
    __slots__ = ("op", "value", "choices")

    def __init__(self, op, value=0, choices=None):
        self.op, self.value, self.choices = op, value, choices

    @property
    def static(self):
        return self.op == OP_BYTE


class Part:
    def __init__(self, gap_min=0, gap_max=0):
        self.gap_min, self.gap_max = gap_min, gap_max
        self.elements = []


class Signature:
    def __init__(self, line, text):
        self.line, self.text = line, text
        self.memory = False
        self.virus_id = 0
        self.name = ""
        self.kind = 0
        self.anchor = 0
        self.offset = 0
        self.shift = 0
        self.section = 0
        self.parts = []


def parse_gap(body):
    m = re.fullmatch(r"(\d*)-(\d*)|(\d+)", body)
    if not m:
        raise ListError("bad gap {%s}" % body)
    if m.group(3) is not None:
        n = int(m.group(3))
        return n, n
    lo = int(m.group(1)) if m.group(1) else 0
    hi = int(m.group(2)) if m.group(2) else GAP_UNBOUNDED
    if not m.group(1) and not m.group(2):
        raise ListError("bad gap {%s}" % body)
    if hi != GAP_UNBOUNDED and hi < lo:
        raise ListError("gap {%s} ends before it starts" % body)
    if lo >= GAP_UNBOUNDED or (hi != GAP_UNBOUNDED and hi >= GAP_UNBOUNDED):
        raise ListError("gap {%s} too large" % body)
    return lo, hi


def parse_hex(text):
    """The hex signature as parts separated by variable gaps."""
    parts = [Part()]
    i, n = 0, len(text)
    hexdigits = "0123456789abcdefABCDEF"
    while i < n:
        c = text[i]
        if c == "{":
            end = text.find("}", i)
            if end < 0:
                raise ListError("unclosed {")
            lo, hi = parse_gap(text[i + 1:end])
            if lo == hi:
                if lo > MAX_FIXED_GAP:
                    raise ListError("fixed gap {%d} larger than %d" % (lo, MAX_FIXED_GAP))
                parts[-1].elements.extend(Element(OP_ANY) for _ in range(lo))
            else:
                parts.append(Part(lo, hi))
            i = end + 1
        elif c == "*":
            parts.append(Part(0, GAP_UNBOUNDED))
            i += 1
        elif c == "(":
            end = text.find(")", i)
            if end < 0:
                raise ListError("unclosed (")
            choices = text[i + 1:end].split("|")
            if len(choices) < 2 or len(choices) > MAX_CHOICES:
                raise ListError("alternatives need 2 to %d single bytes" % MAX_CHOICES)
            values = []
            for ch in choices:
                if len(ch) != 2 or any(d not in hexdigits for d in ch):
                    raise ListError("only single-byte alternatives are supported: (%s)" % text[i + 1:end])
                values.append(int(ch, 16))
            parts[-1].elements.append(Element(OP_CHOICE, choices=sorted(set(values))))
            i = end + 1
        elif c in "![":
            raise ListError("'%s' is not supported in this list" % c)
        else:
            pair = text[i:i + 2]
            if len(pair) < 2:
                raise ListError("odd number of hex digits")
            hi_c, lo_c = pair
            if pair == "??":
                parts[-1].elements.append(Element(OP_ANY))
            elif hi_c == "?" and lo_c in hexdigits:
                parts[-1].elements.append(Element(OP_LOW_NIBBLE, int(lo_c, 16)))
            elif lo_c == "?" and hi_c in hexdigits:
                parts[-1].elements.append(Element(OP_HIGH_NIBBLE, int(hi_c, 16) << 4))
            elif hi_c in hexdigits and lo_c in hexdigits:
                parts[-1].elements.append(Element(OP_BYTE, int(pair, 16)))
            else:
                raise ListError("bad hex byte '%s'" % pair)
            i += 2
    for k, part in enumerate(parts):
        if not part.elements:
            raise ListError("a gap at the start or end, or two gaps in a row")
        if len(part.elements) > MAX_PART_ELEMENTS:
            raise ListError("part %d longer than %d bytes" % (k + 1, MAX_PART_ELEMENTS))
        if part.elements[0].op == OP_ANY or part.elements[-1].op == OP_ANY:
            raise ListError("a part may not start or end with ?? or {n}")
    if len(parts) > MAX_PARTS:
        raise ListError("more than %d parts" % MAX_PARTS)
    return parts


def longest_static_run(elements):
    best = run = 0
    for e in elements:
        run = run + 1 if e.static else 0
        best = max(best, run)
    return best


def parse_number(text, what, limit):
    value = int(text)
    if value > limit:
        raise ListError("%s %d beyond %d" % (what, value, limit))
    return value


def parse_offset(sig, text, target):
    def shift_of(m, group):
        return parse_number(m.group(group), "shift", MAX_SHIFT) if m.group(group) else 0

    if text == "*":
        sig.kind = KIND_POLY
    elif m := re.fullmatch(r"(\d+)(?:,(\d+))?", text):
        sig.kind = KIND_TOP
        sig.offset = parse_number(m.group(1), "offset", MAX_ANCHORED_OFFSET)
        sig.shift = shift_of(m, 2)
    elif m := re.fullmatch(r"EOF-(\d+)(?:,(\d+))?", text):
        sig.kind = KIND_BOTTOM
        sig.offset = parse_number(m.group(1), "offset", MAX_ANCHORED_OFFSET)
        if sig.offset == 0:
            raise ListError("EOF-0 leaves no room for a pattern")
        sig.shift = shift_of(m, 2)
    elif m := re.fullmatch(r"EP([+-])(\d+)(?:,(\d+))?", text):
        sig.kind, sig.anchor = KIND_PE, ANCHOR_EP
        sig.offset = parse_number(m.group(2), "offset", MAX_ANCHORED_OFFSET) * (-1 if m.group(1) == "-" else 1)
        sig.shift = shift_of(m, 3)
    elif m := re.fullmatch(r"S(\d+)\+(\d+)(?:,(\d+))?", text):
        sig.kind, sig.anchor = KIND_PE, ANCHOR_SECTION
        sig.section = parse_number(m.group(1), "section", MAX_SECTION)
        sig.offset = parse_number(m.group(2), "offset", MAX_ANCHORED_OFFSET)
        sig.shift = shift_of(m, 3)
    elif m := re.fullmatch(r"SL\+(\d+)(?:,(\d+))?", text):
        sig.kind, sig.anchor = KIND_PE, ANCHOR_LAST_SECTION
        sig.offset = parse_number(m.group(1), "offset", MAX_ANCHORED_OFFSET)
        sig.shift = shift_of(m, 2)
    else:
        raise ListError("offset '%s' is not supported in this list" % text)
    if (sig.kind == KIND_PE) != (target == 1):
        raise ListError("target 1 goes with the offsets EP, Sx and SL, and only with them")


def check_name(sig):
    name = sig.name
    if not name or len(name) >= NAME_FIELD:
        raise ListError("name '%s' must have 1 to %d characters" % (name, NAME_FIELD - 1))
    if any(not (32 <= ord(ch) < 127) for ch in name):
        raise ListError("name '%s' must be printable ASCII" % name)
    if not 1 <= sig.virus_id <= MAX_ID:
        raise ListError("id %d outside 1..%d" % (sig.virus_id, MAX_ID))
    if sig.memory:
        return
    if sig.virus_id in BUILTIN_NAMES:
        builtin = BUILTIN_NAMES[sig.virus_id][:NAME_FIELD - 1]
        if name != builtin:
            raise ListError("id %d is named '%s' by the setup helper; the list names it '%s'"
                            % (sig.virus_id, builtin, name))
    elif sig.virus_id >= 2000:
        raise ListError("id %d has no name in the setup helper's tables (reserved)" % sig.virus_id)


def parse_line(line_no, text):
    fields = text.split(":")
    if len(fields) != 4:
        raise ListError("expected Name:Target:Offset:HexSignature (4 fields), got %d" % len(fields))
    name_field, target_text, offset_text, hex_text = fields
    sig = Signature(line_no, text)
    m = NAME_RE.match(name_field)
    if not m:
        raise ListError("name '%s' is not Vz<id>.<name> or VzM<id>.<name>" % name_field)
    sig.memory = bool(m.group(1))
    sig.virus_id = int(m.group(2))
    sig.name = m.group(3)
    if target_text not in ("0", "1"):
        raise ListError("target type must be 0 (any file) or 1 (PE)")
    target = int(target_text)
    parse_offset(sig, offset_text, target)
    sig.parts = parse_hex(hex_text)
    check_name(sig)

    if sig.memory:
        if sig.kind != KIND_POLY:
            raise ListError("a memory signature has the offset *")
        elems = sig.parts[0].elements if len(sig.parts) == 1 else []
        if not elems or not all(e.static for e in elems):
            raise ListError("a memory signature is plain bytes, without wildcards")
        if not MEMORY_MIN <= len(elems) <= MEMORY_MAX:
            raise ListError("a memory signature has %d to %d bytes" % (MEMORY_MIN, MEMORY_MAX))
    elif sig.kind == KIND_POLY:
        if longest_static_run(sig.parts[0].elements) < MIN_POLY_ANCHOR:
            raise ListError("the first part needs %d plain bytes in a row" % MIN_POLY_ANCHOR)
    elif len(sig.parts) > 1:
        raise ListError("variable gaps ({n-m}, *) only in signatures with the offset *")
    return sig


def read_list(path):
    sigs = []
    errors = []
    with open(path, "r", encoding="ascii", newline=None) as f:
        for line_no, raw in enumerate(f, 1):
            text = raw.rstrip("\n")
            if text.startswith("#"):
                continue
            try:
                if not text.strip():
                    # clamscan refuses a list with an empty line
                    raise ListError("empty line (use a # line instead)")
                if text != text.strip():
                    raise ListError("blanks around the line")
                sigs.append(parse_line(line_no, text))
            except ListError as e:
                errors.append("%s:%d: %s" % (path, line_no, e))
    file_sigs = [s for s in sigs if not s.memory]
    names = {}
    for s in sigs:
        key = (s.memory, s.virus_id)
        if key in names and names[key] != s.name:
            errors.append("%s:%d: id %d is named '%s' before and '%s' here"
                          % (path, s.line, s.virus_id, names[key], s.name))
        names.setdefault(key, s.name)
    if len(file_sigs) > MAX_RECORDS:
        errors.append("%s: more than %d file signatures" % (path, MAX_RECORDS))
    if errors:
        shown = errors[:MAX_ERRORS_SHOWN]
        if len(errors) > len(shown):
            shown.append("%s: %d more faults" % (path, len(errors) - len(shown)))
        raise ListError("\n".join(shown))
    return sigs


def encode_body(sig):
    out = bytearray([len(sig.parts)])
    for k, part in enumerate(sig.parts):
        if k:
            out += struct.pack("<II", part.gap_min, part.gap_max)
        out += struct.pack("<H", len(part.elements))
        for e in part.elements:
            out.append(e.op)
            if e.op in (OP_BYTE, OP_HIGH_NIBBLE, OP_LOW_NIBBLE):
                out.append(e.value)
            elif e.op == OP_CHOICE:
                out.append(len(e.choices))
                out += bytes(e.choices)
    if len(out) > 0xFFFF:
        raise ListError("line %d: signature body longer than 65535 bytes" % sig.line)
    return bytes((b + BODY_SHIFT) & 0xFF for b in out)


def encode_name(name):
    raw = name.encode("ascii")
    raw = raw + b"\0" * (NAME_FIELD - len(raw))  # zero padding: stored as 60
    return bytes((b + NAME_SHIFT) & 0xFF for b in raw)


def build_index(sigs):
    file_sigs = [s for s in sigs if not s.memory]
    section_offset = HEADER_SIZE + RECORD_SIZE * len(file_sigs)
    records = bytearray()
    bodies = bytearray()
    for s in file_sigs:
        body = encode_body(s)
        records += struct.pack("<BBhiHHIH6s", s.kind, s.anchor, s.virus_id, s.offset, s.shift,
                               s.section, len(bodies), len(body), b"\0" * 6)
        records += encode_name(s.name)
        bodies += body
    header = HEADER_MAGIC + struct.pack("<BBI", FORMAT_VERSION, FLAG_SIGNATURE_SECTION, section_offset)
    section = SECTION_MAGIC + struct.pack("<III", len(file_sigs), len(bodies), zlib.crc32(bodies) & 0xFFFFFFFF)
    data = header + bytes(records) + section + bytes(bodies)
    assert len(header) == HEADER_SIZE and len(records) == RECORD_SIZE * len(file_sigs)
    assert len(section) == SECTION_HEADER_SIZE
    return data


def memory_header(sigs, list_path):
    mem = [s for s in sigs if s.memory]
    lines = [
        "// Memory signatures, generated from %s by build_vzinx.py: do not edit." % list_path.split("/")[-1],
        "// The bytes are kept XOR kMemoryKey, so that no process holding this table",
        "// (or the library's file) ever holds a pattern itself.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace vzmem {",
        "",
        "constexpr std::uint8_t kMemoryKey = 0x%02X;" % MEMORY_KEY,
        "",
        "struct MemorySignature {",
        "  std::int16_t id;",
        "  const char* name;",
        "  std::uint16_t length;",
        "  const std::uint8_t* encoded;",
        "};",
        "",
    ]
    for k, s in enumerate(mem):
        data = bytes(e.value ^ MEMORY_KEY for e in s.parts[0].elements)
        body = ", ".join("0x%02X" % b for b in data)
        lines.append("inline constexpr std::uint8_t kPattern%d[] = {%s};" % (k, body))
    lines.append("")
    lines.append("inline constexpr MemorySignature kMemorySignatures[] = {")
    for k, s in enumerate(mem):
        name = s.name.replace("\\", "\\\\").replace('"', '\\"')
        lines.append('    {%d, "%s", %d, kPattern%d},' % (s.virus_id, name, len(s.parts[0].elements), k))
    if not mem:
        lines.append("    {0, \"\", 0, nullptr},")
    lines.append("};")
    lines.append("inline constexpr int kMemorySignatureCount = %d;" % len(mem))
    lines.append("")
    lines.append("}  // namespace vzmem")
    return "\n".join(lines) + "\n"


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    parser = argparse.ArgumentParser(description="Builds VZ.INX from a signature list.")
    parser.add_argument("list")
    parser.add_argument("--index", help="the VZ.INX to write")
    parser.add_argument("--memory-header", help="the C++ header of memory signatures to write")
    parser.add_argument("--check", action="store_true", help="only check the list")
    args = parser.parse_args(argv)
    try:
        sigs = read_list(args.list)
        index = build_index(sigs)
    except ListError as e:
        print(e, file=sys.stderr)
        return 1
    if args.index and not args.check:
        write_if_changed(args.index, index)
    if args.memory_header and not args.check:
        write_if_changed(args.memory_header, memory_header(sigs, args.list).encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
