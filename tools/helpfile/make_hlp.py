#!/usr/bin/env python3
"""Builds a Windows help file (.HLP, the WinHelp 3.1 format) from a topic source.

    make_hlp.py SOURCE OUTPUT

The source is plain text:

    title Velzor Setup Help          the help file's title
    copyright Orvanto                optional copyright line
    topic NAME NUMBER Title text     starts a topic: its context name, the map
                                     number WinHelp(HELP_CONTEXT) asks for, its title
    text lines ...                   paragraphs, separated by blank lines; lines of
                                     a paragraph are joined with blanks
    # ...                            a comment

The file holds the internal files |SYSTEM (title, contents topic), |FONT (two
fonts: body text and headings), |TOPIC (uncompressed 4 KB topic blocks: per
topic a topic header and one text record per paragraph), |CONTEXT (the hashed
context names, a one-page B+ tree), |CTXOMAP (map numbers to topics) and the
internal directory (a one-page B+ tree of the internal files).
"""
import struct
import sys

FILE_MAGIC = 0x00035F3F
SYSTEM_MAGIC = 0x036C
BTREE_MAGIC = 0x293B
HELP_31_MINOR = 21
GENERATION_DATE = 852076800  # fixed, so that a build gives the same bytes

TOPIC_BLOCK_SIZE = 0x1000  # uncompressed topic blocks of a 3.1 file
TOPIC_BLOCK_HEADER = 12
TOPIC_BLOCK_DATA = TOPIC_BLOCK_SIZE - TOPIC_BLOCK_HEADER
TOPICPOS_BLOCK_SHIFT = 14      # TOPICPOS = block << 14 | (12 + offset in the block's data)
TOPICOFFSET_BLOCK = 0x8000     # TOPICOFFSET = block * 0x8000 + characters before, in the block

LINK_HEADER = 21
RECORD_TOPIC_HEADER = 0x02
RECORD_TEXT = 0x20
FORMAT_FONT = 0x80
FORMAT_END_PARAGRAPH = 0x82
FORMAT_END = 0xFF

FACE_NAME_SIZE = 32
FONT_BODY, FONT_HEADING = 0, 1
FONTS = [  # attributes (1 = bold), half points, family (3 = swiss), face
    (0, 20, 3, 'MS Sans Serif'),
    (1, 26, 3, 'MS Sans Serif'),
]

DIRECTORY_PAGE_SIZE = 0x400
CONTEXT_PAGE_SIZE = 0x800
NONE = 0xFFFFFFFF


def u8(v): return struct.pack('<B', v)
def u16(v): return struct.pack('<H', v & 0xFFFF)
def u32(v): return struct.pack('<I', v & 0xFFFFFFFF)


def compressed_ushort(v):
    """One byte (value * 2) below 128, else two bytes (value * 2 + 1)."""
    if not 0 <= v < 0x8000:
        raise ValueError(f'{v} does not fit a compressed unsigned short')
    return u8(v * 2) if v < 0x80 else u16(v * 2 + 1)


def compressed_long(v):
    """Two bytes (value * 2 + 0x8000) for small values, else four (value * 2 + 0x80000001)."""
    if -0x4000 <= v < 0x4000:
        return u16(v * 2 + 0x8000)
    return u32(v * 2 + 0x80000001)


def compressed_short(v):
    """One byte (value * 2 + 0x80) for small values, else two (value * 2 + 0x8001)."""
    if -0x40 <= v < 0x40:
        return u8(v * 2 + 0x80)
    return u16(v * 2 + 0x8001)


def context_hash(name):
    """The WinHelp hash of a context name (letters, digits, '.', '_')."""
    value = 0
    for c in name.upper():
        if 'A' <= c <= 'Z':
            x = ord(c) - ord('A') + 17
        elif '1' <= c <= '9':
            x = ord(c) - ord('0')
        elif c == '0':
            x = 10
        elif c == '.':
            x = 12
        elif c == '_':
            x = 13
        else:
            raise ValueError(f'context name {name!r}: only letters, digits, "." and "_"')
        value = (value * 43 + x) & 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


def internal_file(content):
    """An internal file: reserved size (header included), used size, flags."""
    return u32(len(content) + 9) + u32(len(content)) + u8(4) + content


def btree(structure, page_size, flags, entries):
    """A B+ tree with one leaf page holding the entries (already encoded, in order)."""
    page_body = b''.join(entries)
    if 8 + len(page_body) > page_size:
        raise ValueError('B+ tree entries do not fit one page')
    page = (u16(page_size - 8 - len(page_body)) + u16(len(entries)) + u16(0xFFFF) + u16(0xFFFF)
            + page_body)
    page += bytes(page_size - len(page))
    header = (u16(BTREE_MAGIC) + u16(flags) + u16(page_size)
              + structure.encode('ascii').ljust(16, b'\0')
              + u16(0) + u16(0) + u16(0) + u16(0xFFFF) + u16(1) + u16(1) + u32(len(entries)))
    return header + page


class Topic:
    def __init__(self, name, number, title):
        self.name, self.number, self.title = name, number, title
        self.paragraphs = []


def parse(path):
    meta, topics, paragraph = {}, [], []

    def end_paragraph():
        if paragraph:
            if not topics:
                raise ValueError('text before the first topic')
            topics[-1].paragraphs.append(' '.join(paragraph))
            paragraph.clear()

    with open(path, encoding='utf-8') as source:
        for line in source:
            line = line.strip()
            if line.startswith('#'):
                continue
            if not line:
                end_paragraph()
                continue
            word, _, rest = line.partition(' ')
            if word in ('title', 'copyright') and not topics:
                meta[word] = rest.strip()
            elif word == 'topic':
                end_paragraph()
                name, number, title = rest.split(None, 2)
                topics.append(Topic(name, int(number), title))
            else:
                paragraph.append(line)
    end_paragraph()
    if not topics:
        raise ValueError('no topic')
    return meta, topics


def encode_text(text):
    data = text.encode('cp1252')
    if b'\0' in data:
        raise ValueError('NUL in text')
    return data


class TopicWriter:
    """Lays the topic links out in blocks; a link never spans two blocks."""

    def __init__(self):
        self.links = []  # (block, offset in the block's data, record type, data1 tail, data2, characters)
        self.block, self.offset = 0, 0

    def place(self, size):
        if size > TOPIC_BLOCK_DATA:
            raise ValueError('a paragraph is too long for one topic block')
        if self.offset + size > TOPIC_BLOCK_DATA:
            self.block, self.offset = self.block + 1, 0
        position = (self.block, self.offset)
        self.offset += size
        return position

    def add(self, record_type, data1_tail, data2, characters=0):
        size = LINK_HEADER + len(data1_tail) + len(data2)
        block, offset = self.place(size)
        self.links.append([block, offset, record_type, data1_tail, data2, characters])
        return len(self.links) - 1


def topicpos(link):
    return (link[0] << TOPICPOS_BLOCK_SHIFT) + TOPIC_BLOCK_HEADER + link[1]


def text_record(text, font, space_after):
    """A paragraph: an empty string, a font change, the text, the paragraph end."""
    data2 = b'\0' + encode_text(text) + b'\0'
    characters = len(text) + 1  # the paragraph end counts as one character
    bits = 0x0004  # space after the paragraph follows
    data1 = (compressed_long(len(data2)) + compressed_ushort(characters)
             + u8(0) + u8(0x80) + u16(0) + u16(bits) + compressed_short(space_after)
             + u8(FORMAT_FONT) + u16(font) + u8(FORMAT_END_PARAGRAPH) + u8(FORMAT_END))
    return data1, data2, characters


TOPIC_HEADER_SIZE = 28


def build_topic_file(topics):
    writer = TopicWriter()
    topic_links = []  # per topic: index of its header link and of its paragraph links
    for number, topic in enumerate(topics):
        header = writer.add(RECORD_TOPIC_HEADER, bytes(TOPIC_HEADER_SIZE), encode_text(topic.title))
        paragraphs = []
        for text, font, space in [(topic.title, FONT_HEADING, 12)] + [(p, FONT_BODY, 10) for p in topic.paragraphs]:
            data1, data2, characters = text_record(text, font, space)
            paragraphs.append(writer.add(RECORD_TEXT, data1, data2, characters))
        topic_links.append((header, paragraphs))

    links = writer.links
    # Topic offsets: the block of the topic header and the characters before it in that block.
    offsets = []
    characters_before = {}
    for index, link in enumerate(links):
        characters_before[index] = sum(l[5] for l in links[:index] if l[0] == link[0])
    for header, _ in topic_links:
        offsets.append(links[header][0] * TOPICOFFSET_BLOCK + characters_before[header])

    # Topic headers: size of the topic's links, browse sequence, number, regions, next topic.
    for number, (header, paragraphs) in enumerate(topic_links):
        topic_size = sum(LINK_HEADER + len(links[i][3]) + len(links[i][4]) for i in [header] + paragraphs)
        next_topic = topicpos(links[topic_links[number + 1][0]]) if number + 1 < len(topic_links) else NONE
        links[header][3] = (u32(topic_size) + u32(NONE) + u32(NONE) + u32(number) + u32(NONE)
                            + u32(topicpos(links[paragraphs[0]])) + u32(next_topic))

    blocks = [bytearray() for _ in range(links[-1][0] + 1)]
    for index, link in enumerate(links):
        block, offset, record_type, data1_tail, data2, _ = link
        previous = topicpos(links[index - 1]) if index else NONE
        following = topicpos(links[index + 1]) if index + 1 < len(links) else NONE
        data1_size = LINK_HEADER + len(data1_tail)
        record = (u32(data1_size + len(data2)) + u32(len(data2)) + u32(previous) + u32(following)
                  + u32(data1_size) + u8(record_type) + data1_tail + data2)
        assert len(blocks[block]) == offset
        blocks[block] += record

    content = b''
    for number, data in enumerate(blocks):
        in_block = [i for i, l in enumerate(links) if l[0] == number]
        earlier = [i for i, l in enumerate(links) if l[0] < number]
        earlier_headers = [i for i in earlier if links[i][2] == RECORD_TOPIC_HEADER]
        block_header = (u32(topicpos(links[earlier[-1]]) if earlier else NONE)
                        + u32(topicpos(links[in_block[0]]))
                        + u32(topicpos(links[earlier_headers[-1]]) if earlier_headers else NONE))
        # Every block is written whole: readers copy whole blocks.
        content += block_header + bytes(data) + bytes(TOPIC_BLOCK_DATA - len(data))
    return content, offsets


def build_system_file(meta, contents_offset):
    content = u16(SYSTEM_MAGIC) + u16(HELP_31_MINOR) + u16(1) + u32(GENERATION_DATE) + u16(0)

    def record(kind, data):
        return u16(kind) + u16(len(data)) + data

    content += record(1, encode_text(meta.get('title', '')) + b'\0')
    if 'copyright' in meta:
        content += record(2, encode_text(meta['copyright']) + b'\0')
    content += record(3, u32(contents_offset))
    return content


def build_font_file():
    faces = []
    for font in FONTS:
        if font[3] not in faces:
            faces.append(font[3])
    content = u16(len(faces)) + u16(len(FONTS)) + u16(8) + u16(8 + FACE_NAME_SIZE * len(faces))
    for face in faces:
        content += face.encode('ascii').ljust(FACE_NAME_SIZE, b'\0')
    for attributes, half_points, family, face in FONTS:
        content += u8(attributes) + u8(half_points) + u8(family) + u16(faces.index(face))
        content += bytes(3) + bytes([0xFF, 0xFF, 0xFF])  # black on white
    return content


def build(meta, topics):
    names = [t.name for t in topics]
    numbers = [t.number for t in topics]
    if len(set(n.upper() for n in names)) != len(names) or len(set(numbers)) != len(numbers):
        raise ValueError('context names and map numbers must be unique')

    topic_file, offsets = build_topic_file(topics)
    context_entries = sorted((context_hash(t.name), offset) for t, offset in zip(topics, offsets))
    if len(set(h for h, _ in context_entries)) != len(context_entries):
        raise ValueError('two context names have the same hash')
    files = {
        '|CONTEXT': btree('L4', CONTEXT_PAGE_SIZE, 0x0002,
                          [struct.pack('<iI', h, o) for h, o in context_entries]),
        '|CTXOMAP': u16(len(topics)) + b''.join(u32(t.number) + u32(o) for t, o in zip(topics, offsets)),
        '|FONT': build_font_file(),
        '|SYSTEM': build_system_file(meta, offsets[0]),
        '|TOPIC': topic_file,
    }

    body, positions = b'', {}
    for name in sorted(files, key=lambda n: n.encode('ascii')):
        positions[name] = 16 + len(body)
        body += internal_file(files[name])
    directory_start = 16 + len(body)
    directory = btree('z4', DIRECTORY_PAGE_SIZE, 0x0402,
                      [name.encode('ascii') + b'\0' + u32(positions[name])
                       for name in sorted(files, key=lambda n: n.encode('ascii'))])
    body += internal_file(directory)
    return u32(FILE_MAGIC) + u32(directory_start) + u32(NONE) + u32(16 + len(body)) + body


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    meta, topics = parse(sys.argv[1])
    data = build(meta, topics)
    with open(sys.argv[2], 'wb') as out:
        out.write(data)


if __name__ == '__main__':
    main()
