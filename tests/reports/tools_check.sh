#!/usr/bin/env bash
# Checks published pages and exported calendars with real tools from Debian's packages:
#   tidy         no page has an error (warnings about the legacy markup are allowed);
#   linkchecker  no link of any publication is broken;
#   chromium     a page shows the hostile names as text, no element is made of them;
#   python3 with python3-icalendar and csv
#                the .ics parses, SUMMARY/DESCRIPTION/LOCATION read back as written, no line is
#                over 75 octets, a July period is an hour earlier in UTC than the same local time
#                in January; the CSV reads back into the same cells, seven on every row.
# A tool that is not installed skips the whole check (exit 77), never half of it.
#
# usage: tools_check.sh FIXTURE_OUTPUTS QUIVRA_CLI DEMO.qvf
set -euo pipefail

outputs=$1
cli=$2
demo=$3
python=/usr/bin/python3
chromium=$(command -v chromium || command -v chromium-browser || true)

for tool in tidy linkchecker "$python"; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
if [ -z "$chromium" ] || ! "$python" -c 'import icalendar' 2> /dev/null; then
    echo "SKIP: chromium or python3-icalendar is not installed"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=Europe/Berlin SOURCE_DATE_EPOCH=1783000000
"$outputs" "$work/fixture"
"$cli" publish "$demo" --out "$work/demo" --ics > /dev/null
"$cli" publish "$demo" --out "$work/demo-list" --report 41 --one-file > /dev/null
failed=0

# tidy: exit 2 means errors.
pages=0
while IFS= read -r -d '' page; do
    pages=$((pages + 1))
    set +e
    tidy -q -e "$page" > "$work/tidy.txt" 2>&1
    status=$?
    set -e
    if [ "$status" -ge 2 ]; then
        echo "tidy: errors in $page:"
        grep -i "error" "$work/tidy.txt" | head -5
        failed=1
    fi
done < <(find "$work" -name '*.htm' -print0)
echo "tidy: $pages pages checked"

# linkchecker: every main page and what it reaches, in one run. It reads the files as an
# unprivileged user when started as root, so the folder is made readable to all.
chmod -R a+rX "$work"
if ! linkchecker --no-status --no-warnings "$work"/fixture/pages/*/index.htm \
    "$work"/demo/demo.htm "$work"/demo-list/demo.htm > "$work/links.txt" 2>&1; then
    echo "linkchecker: broken links:"
    grep -E "^(URL|Parent URL|Result)" "$work/links.txt" | head -30
    failed=1
fi
tail -n 2 "$work/links.txt" | head -n 1

# chromium: the DOM of a timetable page and of an event page holds the hostile name as text.
page_dir="$work/fixture/pages/slot3-week-pages-dated"
for page in "$page_dir"/x3001a_b536.htm "$page_dir"/_b___x2556.htm; do
    "$chromium" --headless --no-sandbox --disable-gpu --dump-dom "file://$page" \
        > "$work/dom.html" 2> /dev/null
    if ! "$python" - "$work/dom.html" << 'EOF'; then
import html.parser, sys
dom = open(sys.argv[1], encoding="utf-8", errors="replace").read()
texts, bold_hostile = [], False
class Parser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.stack = []
    def handle_starttag(self, tag, attrs):
        self.stack.append(tag)
    def handle_endtag(self, tag):
        if tag in self.stack:
            while self.stack.pop() != tag:
                pass
    def handle_data(self, data):
        texts.append(data)
Parser().feed(dom)
text = "".join(texts)
if '<b>&"x' not in text:
    sys.exit("the name <b>&\"x is not shown as text")
if '<b>&amp;"x' in dom.replace("&lt;b&gt;", ""):
    sys.exit("the name <b>&\"x made an element")
EOF
        echo "chromium: $page"
        failed=1
    fi
done
echo "chromium: done"

# The calendar and the CSV.
if ! "$python" - "$work/fixture" << 'EOF'; then
import csv, datetime, json, sys
import icalendar

root = sys.argv[1]
expected = json.load(open(root + "/expected.json", encoding="utf-8"))
raw = open(root + "/exports/calendar.ics", "rb").read()
for line in raw.split(b"\r\n"):
    if len(line) > 75:
        sys.exit("line over 75 octets: %r" % line)
calendar = icalendar.Calendar.from_ical(raw)
events = [c for c in calendar.walk() if c.name == "VEVENT"]
if len(events) != len(expected):
    sys.exit("%d events, expected %d" % (len(events), len(expected)))
for event, item in zip(events, expected):
    for key in ("summary", "description", "location"):
        if str(event.get(key.upper(), "")) != item[key]:
            sys.exit("%s: %r != %r" % (key, str(event.get(key.upper())), item[key]))

def utc(summary, iso):
    for event in events:
        start = event.decoded("DTSTART")
        if str(event["SUMMARY"]) == summary and start.strftime("%Y%m%d") == iso:
            return start.astimezone(datetime.timezone.utc), start
    sys.exit("no %s on %s" % (summary, iso))
summary = "[Teacher <one>] Math\u00e9matiques"
january, jan_local = utc(summary, "20260105")
july, jul_local = utc(summary, "20260713")
if (jan_local.hour, jan_local.minute) != (jul_local.hour, jul_local.minute):
    sys.exit("local times differ")
if (january.hour - july.hour) != 1:
    sys.exit("January %s and July %s are not one hour apart in UTC" % (january, july))

rows = list(csv.reader(open(root + "/exports/calendar.csv", encoding="utf-8", newline="")))
if rows[0] != ["Subject", "Start Date", "Start Time", "End Date", "End Time", "Description",
               "Location"]:
    sys.exit("CSV header %r" % rows[0])
if any(len(row) != 7 for row in rows):
    sys.exit("a CSV row without seven fields")
for row, item in zip(rows[1:], expected):
    want = [item["summary"], item["date"], item["start"], row[3], item["end"],
            item["description"], item["location"]]
    if row != want:
        sys.exit("CSV row %r != %r" % (row, want))
if len(rows) - 1 != len(expected):
    sys.exit("%d CSV rows, expected %d" % (len(rows) - 1, len(expected)))
print("calendar: %d events and CSV rows read back" % len(events))
EOF
    echo "calendar or CSV check failed"
    failed=1
fi

exit $failed
