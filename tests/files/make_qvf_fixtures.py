#!/usr/bin/env python3
"""Writes the small .qvf data files that tests/files/datafile_test.cpp reads.

The files are built byte by byte from the documented block layout of the data file, without
using any of the program's own code, so that the C++ reader and writer are checked against a
second, independent implementation of the format. Every derived number (header counts, totals,
record fields the recount owns) is worked out by hand below, next to the data it comes from.

Run from anywhere: python3 tests/files/make_qvf_fixtures.py
The files land in tests/files/data/qvf/ beside this script.
"""

import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent / "data" / "qvf"

# ---- encoding helpers ----------------------------------------------------------------------


def u16(v):
    return struct.pack("<H", v)


def i32(v):
    return struct.pack("<i", v)


def pstr(text, width, tail=b""):
    """A length byte and `width` character bytes; `tail` fills the bytes after the text."""
    raw = text.encode("latin-1")
    assert len(raw) <= width
    body = raw + tail
    assert len(body) <= width
    return bytes([len(raw)]) + body + bytes(width - len(body))


def block(tag, payload, length=None):
    return u16(tag) + u16(len(payload) if length is None else length) + payload


def short_text(tag, text, length_byte=None, block_length=None):
    raw = text.encode("latin-1")
    n = len(raw) if length_byte is None else length_byte
    payload = bytes([n]) + raw
    return block(tag, payload, block_length)


def per_code(tag, records, record_size):
    for r in records:
        assert len(r) == record_size, (tag, len(r))
    return u16(tag) + u16(record_size) + b"".join(records)


def slot(week, day, bell):
    """Default slot coding: 8 week bits, 3 day bits, 5 bell bits."""
    return week << 8 | day << 5 | bell


def time_range(a, b, sw, sd, sb, ew, ed, eb):
    return u16(a) + u16(b) + bytes([sw, sd, sb, ew, ed, eb])


def header(fields):
    """The 278-byte file header; `fields` maps offsets to encoded bytes."""
    h = bytearray(278)
    for offset, raw in fields.items():
        assert offset + len(raw) <= 278
        h[offset:offset + len(raw)] = raw
    return block(1, bytes(h))


def week_table(names_lengths):
    """256 records of string[5] and a length byte; entry 0 holds no week."""
    out = bytearray(pstr("", 5) + bytes([0]))
    for w in range(1, 256):
        name, length = names_lengths.get(w, ("[%d]" % w, 1))
        out += pstr(name, 5) + bytes([length])
    assert len(out) == 1792
    return bytes(out)


def bell_names(names, tails=None):
    tails = tails or {}
    out = b"".join(pstr(names.get(b, ""), 11, tails.get(b, b"")) for b in range(1, 31))
    assert len(out) == 360
    return out


def lists(event_categories, resource_categories, booking_kinds):
    return pstr(event_categories, 255) + pstr(resource_categories, 255) + pstr(booking_kinds, 255)


def counters(values):
    return b"".join(i32(values.get(i, 0)) for i in range(64))


def record14(planned, allocated, flags, first_lecture, collection_pos, scheduled, links):
    return b"".join(u16(v) for v in (planned, allocated, flags, first_lecture, collection_pos,
                                     scheduled, links))


def words(values):
    return b"".join(u16(v) for v in values)


DAY_NAMES = "Monday$Tuesday$Wednesday$Thursday$Friday$Saturday$Sunday$"
EVENT_CATEGORIES = "b:Basic$m:Middle$a:Advanced$"
RESOURCE_CATEGORIES = "G:Groups$T:Teachers$R:Rooms$"
BOOKING_KINDS = "/////$Free$Other$/////$Meeting$Other$"
VOCABULARY = ("Events$Resources$#:$CODE$NAME$*$PLANNED$ALLOCATED$SCHEDULED$LINKS$LEFT$SEATS$"
              " RESOURCES$")

IS_EVENT = 0x4000
LOCKED = 0x8000
EVENT_ENTRY = 0x4000
BOOKING = 0x8000
MARKER = 0x4000


def category(k):
    return 1 << (7 + k - 1)


# ---- (a) a small institution with every block ------------------------------------------------
#
# Calendar: 4 weeks of 5 days with 6 bells in use; week 2 stands for two real weeks.
# Codes: 1 T1 (teacher), 2 R1 (room), 3 MATH (event, basic), 4 ART (event, middle, locked).
# Collections: MATH = T1, R1; ART = T1.
# Lectures, in store order (code, start, end):
#   1 T1   table booking of kind 2, week 1, Thursday, bells 1..2
#   2 MATH 2 periods in each of weeks 1..3
#   3 MATH timetable lecture week 1, Monday, bells 1..2
#   4 ART  1 period in week 2
#   5 ART  week booking of week 4, kind 1 (the kind sits in the end bell)
#
# ALLOCATED: MATH 2*1 + 2*2 + 2*1 = 8, ART 1*2 = 2 (week 2 counts twice).
# SCHEDULED: MATH 2 cells in week 1 = 2, ART 0.  PLANNED: MATH 10, ART 3.
# Booked weeks: ART week 4, of length 1 -> 1. Table-booked periods of events: none -> 0.
# T1 serves both events: PLANNED 13, ALLOCATED 10, SCHEDULED 2, LINKS 2; R1 serves MATH only.


def institution():
    lectures = [  # (word, start, end, kind)
        (BOOKING | 2 << 12 | 1, slot(1, 4, 1), slot(1, 4, 2), 2),
        (EVENT_ENTRY | 3, slot(1, 0, 0), slot(3, 0, 2), 0),
        (EVENT_ENTRY | 3, slot(1, 1, 1), slot(1, 1, 2), 0),
        (EVENT_ENTRY | 4, slot(2, 0, 0), slot(2, 0, 1), 0),
        (BOOKING | EVENT_ENTRY | 4, slot(4, 0, 0), slot(4, 0, 1), 0),
    ]
    collection = [MARKER | 3, 1, 2, MARKER | 4, 1]
    manual_rooms = [3, slot(1, 1, 1), 3, 2]

    fields = {
        0: u16(6 * 1024 + 5),
        2: u16(8191),
        4: u16(32763),
        6: u16(32763),
        8: u16(6),
        10: bytes(range(1, 11)),              # reserved, kept as found
        20: u16(4),                           # average divider
        22: u16(2) + u16(1) + u16(1) + u16(1) + u16(5),  # lecture kinds and their total
        32: u16(7) + u16(8),                  # statistics window counts, kept as found
        36: u16(15) + u16(200) + u16(235),
        42: u16(4),                           # codes
        44: u16(len(lectures)),
        46: u16(len(collection)),
        48: u16(3),                           # T1, MATH and ART have lectures
        50: u16(2),                           # collections
        52: u16(2),                           # lectures with a day
        54: u16(2),                           # resources with timetables
        56: u16(1),                           # most timetable entries of one code
        58: u16(2) + u16(2),                  # events, resources
        62: b"".join(u16(v) for v in (8, 3, 5, 255, 7, 30)),
        74: u16(2),                           # current week
        76: u16(1) + u16(2),                  # default booking kinds
        80: u16(3) + u16(2) + u16(1) + u16(4),  # rooms, calendar mode (dated), gaps, subjects
        88: u16(0x1234) + bytes([0xAB, 0xCD]),  # reserved, kept as found
        92: time_range(2, 1, 1, 1, 1, 4, 5, 6),  # optimiser range
        102: pstr("draft", 39),
        142: i32(13) + i32(10) + i32(2) + i32(1) + i32(0),
        162: bytes([0, 5, 0, 0, 0, 0, 0, 9]),  # weekly category limits
        170: i32(3 << 16 | 12345) + i32(0) + i32(1 << 16 | 12000) + i32(0),
        186: b"".join(u16(v) for v in (2, 0, 1, 1, 0, 0, 0, 0, 0, 0)),
        206: b"".join(u16(v) for v in (2, 1, 1, 0, 0, 0, 0, 0, 0, 0)),
        226: i32(738600) + i32(100000),       # saved at
        234: i32(738600) + i32(50000),        # opened at
        242: i32(3) + i32(1000),              # editing time
        250: bytes([9, 8, 7, 6]),             # reserved, kept as found
        254: i32(45000 + 693594),             # first week date 45000 as a day number
        258: time_range(0, 0, 1, 1, 1, 4, 5, 6),
        268: time_range(2, 2, 1, 1, 1, 4, 4, 2),  # extent: weeks 1..4, days 1..4, bells 1..2
    }

    codes = ["T1", "R1", "MATH", "ART"]
    names = ["Ann Teacher", "Room 1 #30", "Mathematics", "Art"]
    records = [
        record14(13, 10, category(2), 1, 0, 2, 2),
        record14(10, 8, category(3) | 0x20, 0, 0, 2, 1),  # bit 5 means nothing; kept
        record14(10, 8, IS_EVENT | category(1), 2, 1, 2, 2),
        record14(3, 2, IS_EVENT | LOCKED | category(2), 4, 4, 0, 1),
    ]
    colours = [0, 0, 0x00336699, -1]

    settings = bytearray(10)  # settings word 0 (read as 255), manual-room weeks 1..4
    settings[4] = 1
    settings[5] = 0x11
    settings[7] = 4

    out = header(fields)
    out += short_text(2, DAY_NAMES)
    out += block(3, bell_names({1: "8:00-8:45", 2: "9:00-9:45"}, {2: b"X"}))
    out += block(4, lists(EVENT_CATEGORIES, RESOURCE_CATEGORIES, BOOKING_KINDS))
    out += block(5, week_table({2: ("Hol", 2), 3: ("W3", 1)}))
    out += block(6, bytes([255, 255, 255]))
    out += block(7, bytes([0, 0, 0]))
    out += block(8, bytes([0, 0x08, 0]))
    out += block(9, counters({10: 7, 62: 5, 63: 738000}))
    out += per_code(10, [pstr(c, 15) for c in codes], 16)
    out += per_code(11, records, 14)
    out += per_code(13, [i32(c) for c in colours], 4)
    out += block(21, words([0] + [w for w, _, _, _ in lectures]))
    out += block(22, words([0] + [s for _, s, _, _ in lectures]))
    out += block(23, words([0] + [e for _, _, e, _ in lectures]))
    out += block(24, words([0] + collection))
    out += block(25, words([0] + [k for _, _, _, k in lectures]))
    out += block(26, bytes(range(1, 41)))
    for n, name in enumerate(names, start=1):
        out += short_text(16384 + n, name)
    for n, title in enumerate(["Timetables", "", "Rooms", "", "", ""]):
        out += short_text(101 + n, title)
    out += short_text(121, VOCABULARY)
    out += short_text(131, "legacy text")  # reserved: readers ignore it
    out += short_text(132, "")
    out += block(141, words([1, 1, 0, 3, 1, 1]), 6)
    out += block(142, u16(1) + bytes(203) + u16(1) + u16(1) + pstr("Lead", 200), 205)
    out += short_text(151, "Spring term")
    out += block(161, words(manual_rooms))
    out += block(162, bytes(settings))
    out += short_text(171, "[001101];MATH;Bring calculators")
    out += short_text(181, "ART;Needs an easel")
    out += block(0, b"")
    return out


# ---- (b) a file of an older writer -----------------------------------------------------------
#
# Version 5.3, 12-byte code records (no LINKS), no slot coding in the header (all zero, so the
# defaults hold), no blocks 25, 141, 142, 161, 171 or 181, booking kinds only in bits 12..13 of
# the lecture words, and a tag-12 block that readers drop.
# Codes: 1 T1 (teacher), 2 R1 (room), 3 E1 (event) with the collection T1, R1.
# Lectures as the old writer left them:
#   1 T1 booking, kind 2 in the word
#   2 T1 plain timetable entry of a resource with kind 3 in the word: a booking of kind 3
#   3 R1 booking without any kind: dropped
#   4 E1 2 periods in each of weeks 1..3
#   5 E1 timetable lecture without the event bit: week 1, Monday, bells 1..2


def old_style():
    lectures = [
        (BOOKING | 2 << 12 | 1, slot(1, 2, 3), slot(1, 2, 4)),
        (3 << 12 | 1, slot(2, 1, 1), slot(2, 1, 1)),
        (BOOKING | 2, slot(1, 1, 1), slot(1, 1, 1)),
        (EVENT_ENTRY | 3, slot(1, 0, 0), slot(3, 0, 2)),
        (3, slot(1, 1, 1), slot(1, 1, 2)),
    ]
    collection = [MARKER | 3, 1, 2]
    fields = {
        0: u16(5 * 1024 + 3),
        2: u16(8191),
        4: u16(32763),
        6: u16(32763),
        8: u16(2),
        36: u16(15) + u16(200) + u16(235),
        42: u16(3),
        44: u16(len(lectures)),
        46: u16(len(collection)),
        48: u16(3),
        50: u16(1),
        52: u16(4),
        74: u16(1),
        92: time_range(0, 0, 1, 1, 1, 3, 5, 6),
        258: time_range(0, 0, 1, 1, 1, 3, 5, 6),
    }
    records = [
        record14(0, 0, category(2), 1, 0, 0, 0)[:12],
        record14(0, 0, category(3), 3, 0, 0, 0)[:12],
        record14(4, 0, IS_EVENT | category(1), 4, 1, 0, 0)[:12],
    ]
    out = header(fields)
    out += short_text(2, DAY_NAMES)
    out += block(3, bell_names({1: "8:00-8:45"}))
    out += block(4, lists(EVENT_CATEGORIES, RESOURCE_CATEGORIES, BOOKING_KINDS))
    out += block(5, week_table({}))
    out += block(6, bytes([255, 255, 255]))
    out += block(7, bytes([0, 0, 0]))
    out += block(8, bytes([0, 0, 0]))
    out += block(9, counters({5: 99}))  # never started: cleared when opened
    out += per_code(10, [pstr(c, 15) for c in ["T1", "R1", "E1"]], 16)
    out += per_code(11, records, 12)
    out += block(12, bytes([0xEE] * 10))
    out += per_code(13, [i32(0)] * 3, 4)
    out += block(21, words([0] + [w for w, _, _ in lectures]))
    out += block(22, words([0] + [s for _, s, _ in lectures]))
    out += block(23, words([0] + [e for _, _, e in lectures]))
    out += block(24, words([0] + collection))
    out += block(26, bytes(40))
    for n, name in enumerate(["Old Teacher", "Old Room", "Old Event"], start=1):
        out += short_text(16384 + n, name)
    for n in range(6):
        out += short_text(101 + n, "")
    out += short_text(121, VOCABULARY)
    out += short_text(151, "From an old version")
    out += block(162, bytes(10))
    out += block(0, b"")
    return out


# ---- (c) unknown tags, odd lengths and a repeated name ---------------------------------------
#
# Codes: 1 a teacher with a 17-character code (cut to 15) and all five marks set, 2 a code made
# of a single space (removed when the file is opened), 3 E1 (event) with the collection 1, 2
# and 1 period in weeks 1..2. Code records are 20 bytes wide, as a newer writer might make
# them. Unknown tags (999, 16384, 30) and a tag-12 block are skipped by their length; a name for
# code 6 names no code; the comment " " is not kept; a report title of 50 characters keeps 40;
# the description's length byte says 20 but its block holds 5 characters. The name of code 3
# comes twice in a row: the second one is kept and reading stops, so the memo after it is not
# read.


def unknown_tags():
    fields = {
        0: u16(6 * 1024 + 5),
        8: u16(6),
        42: u16(3),
        44: u16(1),
        46: u16(3),
        74: u16(1),
        62: b"".join(u16(v) for v in (8, 3, 5, 255, 7, 30)),
        258: time_range(0, 0, 1, 1, 1, 2, 5, 6),
    }
    code_records = [
        pstr("LONGCODE-ABCDEFGH", 19),
        pstr(" ", 19),
        pstr("E1", 19),
    ]
    records = [
        record14(0, 0, category(2) | 0x1F, 0, 0, 0, 0),
        record14(0, 0, category(2), 0, 0, 0, 0),
        record14(2, 0, IS_EVENT | category(1), 1, 1, 0, 2),
    ]
    out = header(fields)
    out += block(999, bytes(range(7)))
    out += per_code(10, code_records, 20)
    out += per_code(11, records, 14)
    out += per_code(13, [i32(0)] * 3, 4)
    out += block(16384, b"abc")
    out += block(21, words([0, EVENT_ENTRY | 3]))
    out += block(22, words([0, slot(1, 0, 0)]))
    out += block(23, words([0, slot(2, 0, 1)]))
    out += block(24, words([0, MARKER | 3, 1, 2]))
    out += block(30, b"")
    out += block(12, bytes([0x55] * 5))
    out += short_text(171, " ")
    out += short_text(171, "[000000];;kept")
    out += short_text(102, "T" * 50)
    out += short_text(151, "Desc!", length_byte=20)
    out += short_text(16385, "Long one")
    out += short_text(16386, "Space")
    out += short_text(16390, "Ghost")
    out += short_text(16387, "Event one")
    out += short_text(16387, "Event again")
    out += short_text(181, "E1;not read")
    out += block(0, b"")
    return out


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for name, data in (("institution.qvf", institution()), ("old_style.qvf", old_style()),
                       ("unknown_tags.qvf", unknown_tags())):
        (OUT / name).write_bytes(data)
        print("%s: %d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
