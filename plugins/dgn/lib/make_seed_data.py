#!/usr/bin/env python3
"""Writes SeedData.inc: the seed data from which the library starts a new V8 design file, a new
model and the V8 side of a loaded V7 file.

Every record is composed here field by field in the V8 record layouts of the element classes
(file header, tables, views, level masks, level entries, application data, model header), and
the summary information from its property-set template; nothing is taken from another
program's files. Each seed is a few raw prefix bytes followed by one zlib stream, as the
library inflates it.

    python3 make_seed_data.py            # rewrites SeedData.inc beside this script
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Milliseconds since 1970 that the seed records carry as their time stamps (2024-01-01).
STAMP = 1704067200000.0

# Element flags.
NONMODEL = 0x0400
HEADER = 0x2000
COMPONENT = 0x4000


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def u64(v):
    return struct.pack('<Q', v)


def f64(v):
    return struct.pack('<d', v)


def wide(text, units):
    """text as a field of units 16-bit characters, zero-padded."""
    b = text.encode('utf-16-le')
    assert len(b) <= 2 * units
    return b + bytes(2 * units - len(b))


def string_linkage(key, text):
    """A string linkage (user ID 0x56D2): header, key, byte length, the 8-bit text, padded to
    whole 8 bytes; the header's size byte is the length in words less one."""
    data = u32(key) + u32(len(text)) + text.encode('ascii')
    length = (4 + len(data) + 7) // 8 * 8
    words = length // 2
    return bytes([words - 1, 0x10]) + u16(0x56D2) + data + bytes(length - 4 - len(data))


def record(etype, flags, level, element_id, body, linkages=b'', stamp=STAMP):
    """A V8 record: the 36-byte element header, the body, the linkages."""
    assert (36 + len(body)) % 2 == 0 and len(linkages) % 2 == 0
    attr_words = (36 + len(body) - 4) // 2
    size_words = attr_words + len(linkages) // 2
    header = u32(0) + u16(etype) + u16(flags) + u32(size_words) + u32(attr_words) + u32(level) + u64(element_id) + f64(stamp)
    assert len(header) == 36
    return header + body + linkages


# ---------------------------------------------------------------------------------------------
# The file header: a fixed body of 10,312 bytes, given as runs of fields (count x bytes each;
# arrays as single fields). The library keeps the body whole; the seed's fields are zero.

FILE_HEADER_RUNS = (
    "3x4, 2x2, 2x4, 1x8, 2x4, 19x8, 5x4, 2x2, 6x4, 5x8, 2x2, 1x4, 3x8, 2x4, 10x8, 4x2, 4x4, 2x8, 14x4, 1x8, 1x4, 2x2, "
    "2x4, 5x8, 1x4, 7x2, 2x1, 6x2, 16x8, [512x2], [512x2], 1x8, [512x2], 6x8, 1x4, 1x2, [512x2], 1x2, 25x8, 2x4, "
    "19x8, 5x2, 4x1, 1x2, 28x8, 5x2, 2x1, 1x2, 2x1, 2x4, 27x8, 2x2, 1x4, 1x8, [20x8], 2x4, [256x1], [256x1], 26x4, "
    "4x8, 13x4, 1x8, 3x4, [39x8], 6x4, 1x8, 14x4, 2x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, "
    "2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 4x4, 1x8, "
    "2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, "
    "2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 22x4, 1x8, 2x4, 1x8, 2x4, 1x8, 6x4, 1x8, 4x4, 1x8, 4x4, 1x8, "
    "2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 2x8, 2x4, 2x8, 4x4, 1x8, 4x4, 1x8, 2x4, 1x8, "
    "2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 6x4, 1x8, 4x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, "
    "2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, "
    "4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 5x8, 4x4, 6x8, 8x4, 4x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 4x8, "
    "6x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 1x8, 4x4, 2x8, 8x4, 2x8, 4x4, 1x8, 2x4, 1x8, 2x4, 1x8, 2x4, 2x8, "
    "2x4, 1x8, [46x8], 16x4, [32x1], 2x4, 1x8, 5x4, 1x1, [63x1], 2x4, 2x2, [77x8]")


def file_header_fields():
    fields = []
    for run in FILE_HEADER_RUNS.split(','):
        run = run.strip()
        if run.startswith('['):
            count, width = (int(x) for x in run[1:-1].split('x'))
            fields.append(count * width)
        else:
            count, width = (int(x) for x in run.split('x'))
            fields.extend([width] * count)
    return fields


def file_header(element_id):
    body = b''.join(bytes(width) for width in file_header_fields())
    assert len(body) == 10312
    return record(9, NONMODEL, 0, element_id, body)


# ---------------------------------------------------------------------------------------------
# Tables: headers (type 96) own entries (type 95); the table number stands in the level field.

def raw_table_header(table, element_id, entries, raw_bytes=0):
    return record(96, HEADER | NONMODEL, table, element_id, u32(entries) + bytes(raw_bytes))


def raw_table_entry(table, element_id, raw_bytes):
    return record(95, COMPONENT | NONMODEL, table, element_id, bytes(raw_bytes))


def line_style_name_header(element_id, entries):
    # entry count, headerWord0, headerWord1
    return record(96, HEADER | NONMODEL, 7, element_id, u32(entries) + u16(0) + u16(0))


def line_style_name_entry(element_id, number, name):
    body = (u32(0) + u32(0)                       # lsWord0, lsWord1
            + u16(0) * 4                          # lsShorts
            + f64(0.0) * 4                        # lsValues
            + u32(0) + u32(0)                     # lsWord2, lsWord3
            + u16(0) * 2                          # lsShorts2
            + u32(number)                         # lineStyleNumber
            + wide(name, 64))                     # lsName
    assert len(body) == 192
    return record(95, COMPONENT | NONMODEL, 7, element_id, body)


def level_table_header(element_id, entries):
    body = (u32(entries) + u16(1) + u16(0)        # entry count, version, tableFlags
            + u64(0) + u64(0) + u64(0))           # attachmentId, reserved1, attachmentLastModified
    assert len(body) == 32
    return record(96, HEADER | NONMODEL, 1, element_id, body)


def level_entry(element_id, number, name):
    body = (u32(number) + u32(0xFFFFFFFF)         # levelNumber, parentCode
            + u16(2) + u16(0x026F) + u32(0)       # entryVersion, levelFlags, reserved0
            + u32(0) + u32(0) + u32(1) + u32(1)   # view style, weight, colour, fill colour
            + u32(0) + u32(0) + u32(1) + u32(1)   # level style, weight, colour, fill colour
            + u32(0) + u32(0) + u32(0)            # text, dimension, multiline style ids
            + u32(number) + u64(0))               # levelCode, plotStyleId
    assert len(body) == 72
    return record(95, COMPONENT | NONMODEL, 1, element_id, body, string_linkage(1, name))


# ---------------------------------------------------------------------------------------------
# Views: a view group (type 97) owns eight view specifications (type 98), each of which owns
# the level mask (type 99) of its view.

def view_group(element_id, components):
    body = (u32(components) + u32(0x10000) + u32(64)   # component count, groupWord0, groupWord1
            + u64(0) + u32(2) + bytes(112))            # groupValue, groupWord2, groupData
    assert len(body) == 136
    return record(97, HEADER | NONMODEL, 0, element_id, body)


def view(element_id, number, three_d):
    flags = 0x0381B8DC if number == 0 else 0x0381B8DC & ~0x80   # only view 0 is on
    rotation = (1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0)
    body = (u32(1) + u32(0)                             # component count (the mask), viewWord0
            + b''.join(f64(v) for v in rotation)
            + f64(0.0) + f64(0.0)                       # screen origin
            + f64(1.0) + f64(1.0)                       # screen width, height
            + f64(0.0) * 3                              # view origin
            + f64(100000.0) + f64(100000.0) + f64(100000.0 if three_d else 0.0)   # view delta
            + f64(0.0) * 5                              # viewExtra
            + u64(0) + u16(0) * 4                       # viewValue, viewWords
            + u32(flags) + u32(600) + u32(0)            # viewFlags, viewWord1, viewWord2
            + u16(0) + u16(1) + u16(number) + u16(0)    # viewShort0, valid, viewNumber, viewShort1
            + u32(0) + u32(0)                           # viewWord3, viewWord4
            + u32(0) + f64(1.0)                         # activeZ, conversion
            + bytes(16))                                # viewTail
    assert len(body) == 272
    return record(98, COMPONENT | HEADER | NONMODEL, 0, element_id, body)


def level_mask(element_id, number, bit_count=1024):
    bits = bytes([0xFF]) * ((bit_count + 7) // 8)
    body = (u16(1) + u16(0) + u16(0) + u16(number)      # maskVersion, reserved2, reserved3, viewNumber
            + u64(0) + u32(bit_count) + bits)           # attachmentId, bitCount, bits
    return record(99, COMPONENT | NONMODEL, 0, element_id, body)


def views(first_id, three_d):
    out = [view_group(first_id, 16)]
    next_id = first_id + 1
    for number in range(8):
        out.append(view(next_id, number, three_d))
        out.append(level_mask(next_id + 1, number))
        next_id += 2
    return out


# ---------------------------------------------------------------------------------------------
# Application data (type 66): a payload kept raw.

def application_data(level, element_id, total):
    return record(66, NONMODEL, level, element_id, bytes(total - 36))


# ---------------------------------------------------------------------------------------------
# The model header (type 66, level 32): a 464-byte body, then the name, description and unit
# label linkages. It stands at byte 4096 of a model block whose first byte is 1.

def units_word(base, system):
    return u32((base & 7) | ((system & 7) << 3))


def model_header_block(three_d):
    body = bytearray(464)
    struct.pack_into('<H', body, 2, 0)                                  # model type
    struct.pack_into('<d', body, 8, STAMP + (60000.0 if three_d else 0.0))  # a time stamp
    body[32:36] = units_word(1, 2)                                      # storage units
    struct.pack_into('<I', body, 36, 1 if three_d else 0)               # flags 2: 3-D
    body[40:44] = units_word(1, 2)                                      # master units
    body[44:48] = units_word(1, 2)                                      # sub units
    struct.pack_into('<dd', body, 48, 1.0, 1.0)                         # master units ratio
    struct.pack_into('<dd', body, 64, 10.0, 1.0)                        # sub units ratio
    struct.pack_into('<ddd', body, 80, 0.0, 0.0, 0.0)                   # model origin
    struct.pack_into('<d', body, 192, 10000.0)                          # UOR scale
    struct.pack_into('<dd', body, 200, 1.0, 1.0)                        # storage units ratio
    struct.pack_into('<I', body, 416, 0)                                # background colour
    linkages = (string_linkage(1, 'Default') + string_linkage(2, 'Master Model')
                + string_linkage(19, 'mu') + string_linkage(20, 'su'))
    rec = record(66, NONMODEL, 32, 0, bytes(body), linkages)
    assert len(rec) == 580
    prefix = bytearray(4096)
    prefix[0] = 1
    return bytes(prefix) + rec


# ---------------------------------------------------------------------------------------------
# The element seeds and application-element seeds.

def elements_2d():
    ids = iter(range(64, 93))
    out = [file_header(next(ids))]
    out += [line_style_name_header(next(ids), 1), line_style_name_entry(next(ids), 1, 'Default')]
    first = next(ids)
    out += views(first, False)
    for _ in range(16):
        next(ids)
    out += [raw_table_header(5, next(ids), 1), raw_table_entry(5, next(ids), 764)]
    out += [raw_table_header(4, next(ids), 2), raw_table_entry(4, next(ids), 164), raw_table_entry(4, next(ids), 164)]
    out += [raw_table_header(6, next(ids), 1), raw_table_entry(6, next(ids), 520)]
    out += [level_table_header(next(ids), 1), level_entry(next(ids), 64, 'Default')]
    assert len(out) == 29 and next(ids, None) is None
    return b''.join(out)


def elements_3d():
    ids = iter(range(97, 147))
    out = [file_header(next(ids))]
    out += [raw_table_header(4, next(ids), 1), raw_table_entry(4, next(ids), 290)]
    out += [raw_table_header(5, next(ids), 1), raw_table_entry(5, next(ids), 764)]
    out += [line_style_name_header(next(ids), 23)]
    out += [line_style_name_entry(next(ids), n, 'Style %d' % n) for n in range(1, 24)]
    first = next(ids)
    out += views(first, True)
    for _ in range(16):
        next(ids)
    out += [raw_table_header(6, next(ids), 1), raw_table_entry(6, next(ids), 520)]
    out += [level_table_header(next(ids), 1), level_entry(next(ids), 64, 'Default')]
    assert len(out) == 50 and next(ids, None) is None
    return b''.join(out)


def application_2d():
    return application_data(26, 93, 1408) + application_data(20, 94, 1124)


def application_3d():
    return application_data(20, 147, 1124)


def header_block(three_d):
    """The inflated part of "Dgn~H" (it follows 20 stored bytes)."""
    data = bytearray(1576)
    struct.pack_into('<I', data, 272, 1 if three_d else 0)    # 3-D flag
    struct.pack_into('<I', data, 288, 0)                      # highest model number
    struct.pack_into('<I', data, 292, 0)                      # setting B
    struct.pack_into('<Q', data, 296, 152 if three_d else 95)  # next element ID
    struct.pack_into('<I', data, 312, 3 if three_d else 1)    # setting A
    return bytes(data)


HEADER_PREFIX = bytes([1, 0, 4, 0]) + bytes(16)


def mf_block():
    return u32(272) + bytes(272)


# ---------------------------------------------------------------------------------------------
# The summary information of a new file: 22,304 bytes, a 384-byte template at the start and
# 48 fixed bytes at 22,256, zeros between (the thumbnail's palette and bits).

SUMMARY_SIZE = 22304
SUMMARY_FMTID = bytes.fromhex('e0859ff2f94f6810ab9108002b27b3d9')
VT_I2, VT_UI4, VT_LPWSTR, VT_FILETIME, VT_CF = 2, 19, 31, 64, 71
# 2024-01-01 00:00:00 UTC as a FILETIME (100 ns since 1601).
FILETIME = 133485408000000000


def lpwstr(text, count=None):
    units = text.encode('utf-16-le') + b'\0\0'
    n = len(units) // 2 if count is None else count
    assert len(units) // 2 <= n
    units += bytes(2 * n - len(units))
    value = u32(VT_LPWSTR) + u32(n) + units
    return value + bytes(-len(value) % 4)


def summary_information():
    thumb_w, thumb_h = 180, 116
    dib_header = struct.pack('<IiiHHIIiiII', 40, thumb_w, thumb_h, 1, 8, 0, thumb_w * thumb_h, 0, 0, 256, 0)
    dib_size = 40 + 4 * 256 + thumb_w * thumb_h
    thumbnail = u32(VT_CF) + u32(8 + dib_size) + u32(0xFFFFFFFF) + u32(8) + dib_header + bytes(4 * 256 + thumb_w * thumb_h)
    last_saved_by = lpwstr('YVEX DGN writer', 16)
    values = [
        (1, u32(VT_I2) + u16(1200) + u16(0)),              # code page: UTF-16
        (0x80000000, u32(VT_UI4) + u32(1033)),              # locale
        (4, lpwstr('YVEX')),                                # author
        (9, lpwstr('1')),                                   # revision number
        (18, lpwstr('YVEX DGN design file library')),        # application name
        (10, u32(VT_FILETIME) + u64(0)),                    # edit time
        (12, u32(VT_FILETIME) + u64(FILETIME)),             # creation time
        (13, u32(VT_FILETIME) + u64(FILETIME)),             # last-save time
    ]
    section_at = 48
    count = len(values) + 2
    offset = 8 + 8 * count
    pairs = b''
    blob = b''
    for pid, value in values:
        pairs += u32(pid) + u32(offset)
        blob += value
        offset += len(value)
    # The thumbnail ends where the last value (last saved by) begins, at the section's end.
    thumb_at = SUMMARY_SIZE - section_at - len(last_saved_by) - len(thumbnail)
    assert thumb_at >= offset
    blob += bytes(thumb_at - offset)
    pairs += u32(17) + u32(thumb_at)
    pairs += u32(8) + u32(SUMMARY_SIZE - section_at - len(last_saved_by))
    blob += thumbnail + last_saved_by
    section = u32(SUMMARY_SIZE - section_at) + u32(count) + pairs + blob
    header = u16(0xFFFE) + u16(0) + u32(0x00020006) + bytes(16) + u32(1) + SUMMARY_FMTID + u32(section_at)
    data = header + section
    assert len(data) == SUMMARY_SIZE
    assert data[384:22256] == bytes(22256 - 384), 'only the template and the tail hold anything'
    assert thumb_at + section_at == 304
    return data


# ---------------------------------------------------------------------------------------------

def compressed(prefix, data):
    return prefix + zlib.compress(data, 9)


def c_array(name, data, comment):
    lines = ['// %s' % comment, 'const std::uint8_t %s[%d] = {' % (name, len(data))]
    for i in range(0, len(data), 20):
        lines.append('    ' + ', '.join('0x%02x' % b for b in data[i:i + 20]) + ',')
    lines.append('};')
    return '\n'.join(lines)


def main():
    seeds = [
        ('kHeaderSeed2d', compressed(HEADER_PREFIX, header_block(False)), '"Dgn~H" of a 2-D file: 20 stored bytes, then 1576 inflated'),
        ('kHeaderSeed3d', compressed(HEADER_PREFIX, header_block(True)), '"Dgn~H" of a 3-D file'),
        ('kMfSeed', compressed(b'', mf_block()), '"Dgn~Mf": a u32 272 and 272 zero bytes'),
        ('kModelSeed2d', compressed(b'', model_header_block(False)), 'A 2-D model block: 4096 carried bytes, then the model header record'),
        ('kModelSeed3d', compressed(b'', model_header_block(True)), 'A 3-D model block'),
        ('kElementSeed2d', compressed(b'', elements_2d()), 'The 29 file-level records of a 2-D file'),
        ('kElementSeed3d', compressed(b'', elements_3d()), 'The 50 file-level records of a 3-D file'),
        ('kApplicationSeed2d', compressed(b'', application_2d()), 'The application elements of a 2-D file'),
        ('kApplicationSeed3d', compressed(b'', application_3d()), 'The application element of a 3-D file'),
    ]
    assert len(zlib.decompress(seeds[0][1][20:])) == 1576
    assert len(elements_2d()) == 16804 and len(elements_3d()) == 21746
    assert len(model_header_block(False)) == 4676 and len(application_2d()) == 2532
    summary = summary_information()
    parts = ['// Made by make_seed_data.py: the library\'s seed data. Do not edit; run the script.', '']
    for name, data, comment in seeds:
        parts.append(c_array(name, data, comment))
        parts.append('')
    parts.append(c_array('kSummaryTemplate', summary[:384], 'The summary information\'s first 384 bytes'))
    parts.append('')
    parts.append(c_array('kSummaryTail', summary[22256:], 'Its last 48 bytes, from byte 22256'))
    parts.append('')
    with open(os.path.join(HERE, 'SeedData.inc'), 'w') as out:
        out.write('\n'.join(parts))


if __name__ == '__main__':
    main()
