#!/usr/bin/env python3
"""Writes examples/demo.qvx: a made-up secondary school as a Quivra text exchange file.

    python3 examples/make_demo.py            # writes demo.qvx beside this script
    python3 examples/make_demo.py out.qvx

The output is deterministic: the same script always writes the same bytes. Every name in it is
invented. Years 7 to 9 are scheduled in full, year 10 is only allocated to weeks, so the demo
shows both finished and open work. The script places periods with a simple greedy search and
checks, before writing anything, that no group, teacher or room is ever in two places at once
(bookings included).
"""

import datetime
import sys
from pathlib import Path

# ---- calendar -----------------------------------------------------------------------------

WEEKS, DAYS, BELLS = 6, 5, 8
FIRST_MONDAY = datetime.date(2025, 9, 1)
BELL_NAMES = ["8:00-8:45", "8:50-9:35", "9:40-10:25", "10:40-11:25", "11:30-12:15",
              "13:00-13:45", "13:50-14:35", "14:40-15:25"]
LUNCH_AFTER = 5  # a block of several bells never spans the lunch break after bell 5
WEEK_NAMES = ["Wk1", "Wk2", "Wk3", "Wk4", "Wk5", "Exams"]
HOLIDAY = (3, 5, "Harvest holiday")  # week 3, Friday: every timetabled resource is booked
DAY_NAMES = "Monday$Tuesday$Wednesday$Thursday$Friday$Saturday$Sunday$"


def serial(date):
    """Date serial counted from 30 December 1899."""
    return (date - datetime.date(1899, 12, 30)).days


# ---- categories ---------------------------------------------------------------------------

EVENT_CATEGORIES = "l:Lessons$m:Meetings$x:Exams$c:Clubs$"
LESSON, MEETING, EXAM, CLUB = 1, 2, 3, 4
RESOURCE_CATEGORIES = "G:Groups$T:Teachers$R:Rooms$S:Subjects$"
GROUP, TEACHER, ROOM, SUBJECT = 1, 2, 3, 4
EVENT_BOOKING_KINDS = "/////$Free$Other$"
RESOURCE_BOOKING_KINDS = "Absent$Duty$Training$"

# ---- resources ----------------------------------------------------------------------------

GROUPS = [(f"{year}{form}", f"Year {year} {form} #{seats}")
          for year, sizes in [(7, (28, 27, 29)), (8, (30, 28, 26)), (9, (27, 29, 28)),
                              (10, (25, 27, 24))]
          for form, seats in zip("ABC", sizes)]

# code, name, subject taught (None: no regular lessons), home room
TEACHERS = [
    ("ALV", "Ada Linvale", "MA", "R101"), ("BRC", "Bram Cortley", "MA", "R102"),
    ("CDW", "Celia Dunwick", "MA", "R103"), ("DFM", "Dario Femmel", "EN", "R104"),
    ("EGR", "Edda Grellan", "EN", "R105"), ("FHS", "Fenn Haskot", "EN", "R106"),
    ("GIB", "Gita Ibbersley", "SC", "LAB1"), ("HJN", "Hugo Jannick", "SC", "LAB2"),
    ("IKT", "Ines Kettrow", "SC", "LAB1"), ("JLM", "Joss Lamberne", "HI", "R107"),
    ("KMO", "Kira Morrick", "HI", "R108"), ("LNP", "Lior Nappleby", "GE", "R101"),
    ("MOQ", "Mina Orquist", "GE", "R102"), ("NPR", "Nils Pardew", "FR", "R103"),
    ("OQS", "Orla Quennet", "FR", "R104"), ("PRT", "Pavel Rusk", "FR", "R105"),
    ("QSU", "Quinn Sorrel", "AR", "ART"), ("RTV", "Rhea Tolland", "PE", "GYM"),
    ("SUW", "Sami Uxbridge", "PE", "GYM"), ("TVX", "Tilde Varnum", "MU", "MUS"),
    ("UWY", "Ugo Wexcombe", "CO", "ICT"), ("VXZ", "Vera Xandell", "CO", "ICT"),
    ("WYA", "Wren Yarrowby", None, "R106"), ("XZB", "Xavi Zellner", None, "R107"),
    ("YAC", "Yara Ashdown", None, "R108"),
]
HEAD, DEPUTY, SUPPORT = "WYA", "XZB", "YAC"

ROOMS = [("R101", "Room 101 #30"), ("R102", "Room 102 #30"), ("R103", "Room 103 #30"),
         ("R104", "Room 104 #30"), ("R105", "Room 105 #30"), ("R106", "Room 106 #28"),
         ("R107", "Room 107 #28"), ("R108", "Room 108 #32"), ("LAB1", "Science lab 1 #26"),
         ("LAB2", "Science lab 2 #26"), ("ICT", "Computer room #30"), ("ART", "Art studio #26"),
         ("MUS", "Music room #30"), ("GYM", "Sports hall #60"), ("HALL", "Main hall #180")]

# code, name, blocks per week (bells of each block), colour (0x00BBGGRR)
SUBJECTS = [
    ("MA", "Mathematics", [1, 1, 1, 1], 0x00F0C080), ("EN", "English", [1, 1, 1, 1], 0x0080C0F0),
    ("SC", "Science", [2, 1], 0x0080F080), ("HI", "History", [1, 1], 0x00A0A0E0),
    ("GE", "Geography", [1, 1], 0x00C0E0A0), ("FR", "French", [1, 1, 1], 0x00E0A0C0),
    ("AR", "Art", [1], 0x0060B0F0), ("PE", "Physical education", [2], 0x0040D0D0),
    ("MU", "Music", [1], 0x00D08080), ("CO", "Computing", [1, 1], 0x00B0B0B0),
]


def teachers_of(subject):
    return [t for t in TEACHERS if t[2] == subject]


def teacher_for(subject, group_index):
    """Spreads the groups of a subject evenly over its teachers."""
    staff = teachers_of(subject)
    return staff[group_index * len(staff) // len(GROUPS)]


# ---- events -------------------------------------------------------------------------------

class Event:
    def __init__(self, code, name, category, members, blocks, weeks=range(1, WEEKS + 1),
                 scheduled=True, locked=False, colour=0, manual_room=False, late=False):
        self.code, self.name, self.category = code, name, category
        self.members = members      # collection, in order
        self.blocks = blocks        # bells of each block per allocated week
        self.weeks = list(weeks)    # weeks with periods
        self.scheduled = scheduled
        self.locked, self.colour = locked, colour
        self.manual_room = manual_room  # no room in the collection: one is chosen per slot
        self.late = late            # placed as late in the day as it can be
        self.placements = []        # (weeks, day, first bell, last bell)
        self.rooms = []             # manual rooms: (week, day, bell, room)

    @property
    def per_week(self):
        return sum(self.blocks)

    @property
    def planned(self):
        return self.per_week * len(self.weeks)


def build_events():
    events = []
    # Exams come first: the lessons of the groups sitting them are placed around them.
    events.append(Event("X10MA", "Year 10 mathematics exam", EXAM,
                        ["10A", "10B", "10C", "HALL", "ALV", "BRC", "MA"], [2], weeks=[6],
                        locked=True, colour=0x000000C0))
    events.append(Event("X9SC", "Year 9 science exam", EXAM,
                        ["9A", "9B", "9C", "HALL", "GIB", "HJN", "IKT", "SC"], [2], weeks=[6],
                        locked=True, colour=0x000000C0))
    all_teachers = [t[0] for t in TEACHERS]
    events.append(Event("MSTAFF", "Staff meeting", MEETING, all_teachers + ["HALL"], [1]))
    events.append(Event("MSLT", "Senior leadership", MEETING, [HEAD, DEPUTY, SUPPORT, "R106"],
                        [1]))
    departments = [("MDMA", "Mathematics department", ["MA"], "R101"),
                   ("MDEN", "English department", ["EN"], "R104"),
                   ("MDSC", "Science department", ["SC"], "LAB1"),
                   ("MDHU", "Humanities department", ["HI", "GE"], "R107"),
                   ("MDLA", "Languages department", ["FR"], "R103")]
    for code, name, subjects, room in departments:
        staff = [t[0] for s in subjects for t in teachers_of(s)]
        events.append(Event(code, name, MEETING, staff + [room], [1], weeks=[2, 4, 6]))
    events.append(Event("MPAST", "Pastoral team", MEETING, [SUPPORT, "ALV", "DFM", "GIB",
                                                            "R108"], [1], weeks=[1, 3, 5]))

    for gi, (group, _) in enumerate(GROUPS):
        year = int(group[:-1])
        tutor = TEACHERS[gi * 2]
        events.append(Event(f"TT{group}", f"Tutor time {group}", LESSON,
                            [group, tutor[0], tutor[3]], [1], scheduled=year < 10))
        for subject, name, blocks, colour in SUBJECTS:
            teacher = teacher_for(subject, gi)
            weeks = range(1, WEEKS + 1)
            if year == 10 and subject == "CO":
                weeks = range(1, 5)  # the course ends early; weeks 5-6 are booked free
            if year == 10 and subject == "PE":
                weeks = range(1, 6)  # no sport in exam week
            events.append(Event(f"{subject}{group}", f"{name} {group}", LESSON,
                                [group, teacher[0], teacher[3], subject], blocks, weeks=weeks,
                                scheduled=year < 10, colour=colour))

    clubs = [("CCHOIR", "Choir", ["TVX", "MUS", "MU"], False),
             ("CFOOT", "Football club", ["SUW", "GYM", "PE"], False),
             ("CCODE", "Coding club", ["VXZ", "ICT", "CO"], False),
             ("CDRAMA", "Drama club", ["EGR", "HALL", "EN"], False),
             ("CHOME", "Homework club", [SUPPORT], True),
             ("CCHESS", "Chess club", ["MOQ"], True)]
    for code, name, members, manual in clubs:
        events.append(Event(code, name, CLUB, members, [1], manual_room=manual, late=True))
    return events


# ---- occupancy ----------------------------------------------------------------------------

class Occupancy:
    """Who holds each cell (week, day, bell) of every timetabled resource."""

    def __init__(self, timetabled):
        self.timetabled = set(timetabled)
        self.cells = {}

    def free(self, resources, week, day, bell):
        return all((r, week, day, bell) not in self.cells
                   for r in resources if r in self.timetabled)

    def take(self, resources, week, day, bell, holder):
        for r in resources:
            if r not in self.timetabled:
                continue
            key = (r, week, day, bell)
            if key in self.cells:
                raise SystemExit(f"conflict: {r} in week {week} day {day} bell {bell} "
                                 f"holds {self.cells[key]} and {holder}")
            self.cells[key] = holder


def block_starts(length):
    for bell in range(1, BELLS - length + 2):
        last = bell + length - 1
        if length > 1 and bell <= LUNCH_AFTER < last:
            continue
        yield bell


def weeks_at(event, day):
    """Weeks in which a placement on `day` is held: the holiday day is skipped."""
    return [w for w in event.weeks if (w, day) != HOLIDAY[:2]]


def place(event, occ, seed):
    """Places every block of the event in all its weeks at one slot, on different days where
    it can. Returns the number of blocks left unplaced."""
    used_days, left = set(), 0
    resources = event.members
    for bi, length in enumerate(event.blocks):
        order = [(seed + bi * 2 + k) % DAYS + 1 for k in range(DAYS)]
        order.sort(key=lambda d: d in used_days)  # fresh days first, order kept otherwise
        spot = None
        for day in order:
            starts = list(block_starts(length))
            for bell in reversed(starts) if event.late else starts:
                weeks = weeks_at(event, day)
                bells = range(bell, bell + length)
                if all(occ.free(resources, w, day, b) for w in weeks for b in bells):
                    if event.manual_room and not pick_rooms(event, occ, weeks, day, bells):
                        continue
                    spot = (weeks, day, bell, bell + length - 1)
                    break
            if spot:
                break
        if not spot:
            left += 1
            continue
        weeks, day, first, last = spot
        for w in weeks:
            for b in range(first, last + 1):
                occ.take(resources, w, day, b, event.code)
                if event.manual_room:
                    room = pick_rooms(event, occ, [w], day, [b])
                    occ.take([room], w, day, b, event.code)
                    event.rooms.append((w, day, b, room))
        event.placements.append(spot)
        used_days.add(day)
    return left


def pick_rooms(event, occ, weeks, day, bells):
    """The first classroom free in every given cell, or None."""
    for room, _ in ROOMS[:8]:
        if all(occ.free([room], w, day, b) for w in weeks for b in bells):
            return room
    return None


# Teachers who are away at fixed times: (teacher, weeks, day, first bell, last bell, kind).
TEACHER_BOOKINGS = [
    ("PRT", range(1, 7), 5, 1, 8, 1),   # part-time: never on Fridays
    ("KMO", range(1, 7), 1, 1, 4, 1),   # starts at 11:30 on Mondays
    ("DFM", range(1, 7), 3, 6, 8, 2),   # duty on Wednesday afternoons
    ("OQS", [4], 2, 1, 8, 3),           # a training day in week 4
]


def schedule(events):
    timetabled = {g for g, _ in GROUPS} | {t[0] for t in TEACHERS} | {r for r, _ in ROOMS}
    occ = Occupancy(timetabled)
    day, label = HOLIDAY[1], HOLIDAY[2]
    for r in sorted(timetabled):
        for b in range(1, BELLS + 1):
            occ.take([r], HOLIDAY[0], day, b, label)
    for teacher, weeks, d, b1, b2, _ in TEACHER_BOOKINGS:
        for w in weeks:
            if (w, d) == HOLIDAY[:2]:
                continue
            for b in range(b1, b2 + 1):
                occ.take([teacher], w, d, b, "booking")
    unplaced = 0
    for i, event in enumerate(events):
        if event.scheduled:
            unplaced += place(event, occ, i)
    return unplaced


# ---- writing ------------------------------------------------------------------------------

def runs(weeks):
    """Contiguous runs of a sorted list of weeks, as (first, last)."""
    out = []
    for w in weeks:
        if out and out[-1][1] == w - 1:
            out[-1] = (out[-1][0], w)
        else:
            out.append((w, w))
    return out


def write(events, path):
    lines = []

    def section(name, rows, numbered=True):
        lines.append(f"[{name}]")
        for n, row in enumerate(rows, 1):
            lines.append(f"{n}={row}" if numbered else row)
        lines.append("")

    first = serial(FIRST_MONDAY)
    section("Header", ["Version=6.5.6", "OriginalFile=demo.qvf", "SourceFile=make_demo.py",
                       "FileId=quivra-demo-school", "Created=20250815 09:00:00",
                       "Comment=Demo secondary school",
                       "Description=A made-up secondary school of four years for trying out "
                       "Quivra"], numbered=False)
    section("Time", [f"MaxWeeks={WEEKS}", f"MaxDays={DAYS}", f"MaxLectures={BELLS}",
                     f"Date={first}", f"YYYYMMDD={FIRST_MONDAY:%Y%m%d}", "FirstWeek=1",
                     f"WeekSum={WEEKS}", f"Days={DAY_NAMES}"], numbered=False)
    section("Timeperiods", BELL_NAMES)
    section("Weeks", [f"1;{name}" for name in WEEK_NAMES])
    section("Courses", [f"Categories={EVENT_CATEGORIES}", f"Bookings={EVENT_BOOKING_KINDS}",
                        "Default=1"], numbered=False)
    section("Components", [f"Categories={RESOURCE_CATEGORIES}",
                           f"Bookings={RESOURCE_BOOKING_KINDS}", "Default=1",
                           "NoTimetables=0;0;0;1;0;0;0;", "NoGaps=1;0;0;0;0;0;0;",
                           f"Rooms={ROOM}"], numbered=False)
    section("Coursedata", [f"{e.code};{e.name};{e.category};{e.planned};{int(e.locked)};"
                           f"{e.colour}" for e in events])
    resources = ([(g, n, GROUP) for g, n in GROUPS] +
                 [(t[0], t[1], TEACHER) for t in TEACHERS] +
                 [(r, n, ROOM) for r, n in ROOMS] +
                 [(s[0], s[1], SUBJECT) for s in SUBJECTS])
    section("Componentdata", [f"{c};{n};{k};0;0" for c, n, k in resources])
    section("Collections", [f"{e.code};{m}" for e in events for m in e.members])
    section("Weeklectures", [f"{e.code};{a};{b};{e.per_week}" for e in events
                             for a, b in runs(e.weeks)])
    week_bookings = []
    for e in events:
        if e.category == LESSON and e.weeks[-1] < WEEKS:
            kind = 2 if e.code.startswith("CO") else 3
            week_bookings.append(f"{e.code};{e.weeks[-1] + 1};{WEEKS};{kind}")
    section("Weekbookings", week_bookings)
    section("Tablelectures", [f"{e.code};{a};{b};{d};{d};{b1};{b2}" for e in events
                              for weeks, d, b1, b2 in e.placements for a, b in runs(weeks)])
    table_bookings = []
    for teacher, weeks, d, b1, b2, kind in TEACHER_BOOKINGS:
        for a, b in runs([w for w in weeks if (w, d) != HOLIDAY[:2]]):
            table_bookings.append(f"{teacher};{a};{b};{d};{d};{b1};{b2};{kind}")
    section("Tablebookings", table_bookings)
    section("Manualrooms", [f"{e.code};{room};{w};{d};{b}" for e in events
                            for w, d, b, room in e.rooms])
    section("Tablecomments", [
        "[001000];*;Welcome week: tutors meet their groups every morning",
        "[004200];OQS;Training day, lessons need cover",
        "[006000];10A;Exam week for year 10: no sport",
        f"[002{DAYS}08];*;Open evening starts after the last lesson",
        "[000301];MSTAFF;Bring the term calendar",
    ])
    roles = [f"MSTAFF;{HEAD};Chair", f"MSTAFF;{DEPUTY};Minutes", f"MSLT;{HEAD};Chair"]
    for e in events:
        if e.category == MEETING and e.code.startswith("MD"):
            roles.append(f"{e.code};{e.members[0]};Head of department")
        if e.category == EXAM:
            roles += [f"{e.code};{t};Invigilator" for t in e.members
                      if t in {x[0] for x in TEACHERS}]
        if e.category == CLUB:
            roles.append(f"{e.code};{e.members[0]};Leader")
    roles += ["-;-;Mentor", "-;-;Cover"]
    section("Roles", roles)
    holiday = FIRST_MONDAY + datetime.timedelta(weeks=HOLIDAY[0] - 1, days=HOLIDAY[1] - 1)
    section("Holidays", [f"{holiday:%Y%m%d};{HOLIDAY[2]};3"])

    # The exchange format is plain text with CR LF line ends.
    Path(path).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


def main():
    events = build_events()
    unplaced = schedule(events)
    out = sys.argv[1] if len(sys.argv) > 1 else Path(__file__).with_name("demo.qvx")
    write(events, out)
    placed = sum(len(e.placements) for e in events)
    print(f"{out}: {len(events)} events, {len(GROUPS)} groups, {len(TEACHERS)} teachers, "
          f"{len(ROOMS)} rooms; {placed} blocks placed, {unplaced} left unplaced")
    return 1 if unplaced else 0


if __name__ == "__main__":
    sys.exit(main())
