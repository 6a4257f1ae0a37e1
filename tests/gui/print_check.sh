#!/usr/bin/env bash
# Writes every printed report of the demo institution as a PDF through the desktop program's
# batch path and checks it with real tools from Debian's packages:
#   qpdf --check  the file is a sound PDF;
#   pdfinfo       it has the pages the program says it printed;
#   pdftotext     the page header, the report's headings, codes and week labels are there.
# With a folder as third argument the first page of each report is also written there as
# print-<report>.png (pdftoppm), for a person to look at.
# A tool that is not installed skips the check (exit 77).
#
# usage: print_check.sh QUIVRA DEMO.qvf [PNG_FOLDER]
set -euo pipefail

quivra=$1
demo=$2
pngs=${3:-}

for tool in qpdf pdfinfo pdftotext pdftoppm; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC SOURCE_DATE_EPOCH=1783000000
failed=0

# report number, weeks, then texts every one of which the PDF must hold.
checks=(
    "1|1-2|Events|X10MA|MSTAFF|Wk1|Wk2|1x"
    "2|1-2|Resources|7A|Year 7 A #28|Wk1|Wk2"
    "3|1-1|Timetables|7A|Wk1: 01.09.2025...07.09.2025|Monday|8:00-"
    "41|1-2|Events by resources (1)|7A|Year 7 A #28|(1)"
    "42|1-2|Events by resources (2)|7A|Wk1|Wk2"
    "5|1-1|Resources by events|X10MA|(1)"
    "61|1-1|Timeline report (1)|Wk1: 01.09.2025...07.09.2025 - Monday|CODE|8:00-8:45"
    "62|1-1|Timeline report (2)|Wk1: 01.09.2025...07.09.2025|Monday|1=8:00-8:45"
    "63|1-1|Timeline report (3)|Wk1: 01.09.2025...07.09.2025|Monday|8:00-8:45"
)
for check in "${checks[@]}"; do
    IFS='|' read -r -a fields <<< "$check"
    report=${fields[0]}
    weeks=${fields[1]}
    pdf="$work/report-$report.pdf"
    if ! "$quivra" --print-pdf "$pdf" --report "$report" --weeks "$weeks" "$demo" \
        > "$work/out.txt" 2> "$work/err.txt"; then
        echo "report $report: the program failed: $(cat "$work/err.txt")"
        failed=1
        continue
    fi
    printed=$(sed -n 's/^pages: //p' "$work/out.txt")
    if ! qpdf --check "$pdf" > "$work/qpdf.txt" 2>&1; then
        echo "report $report: qpdf --check fails:"
        head -5 "$work/qpdf.txt"
        failed=1
    fi
    pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
    if [ "$pages" != "$printed" ]; then
        echo "report $report: the PDF has $pages pages, the program printed $printed"
        failed=1
    fi
    pdftotext -layout "$pdf" "$work/text.txt"
    # Every page starts with the header and its page number.
    for ((page = 1; page <= pages; page++)); do
        if ! pdftotext -f "$page" -l "$page" "$pdf" - | grep -qF -- "[ -$page- ] 02.07.2026"; then
            echo "report $report: page $page has no header with its number"
            failed=1
        fi
    done
    for text in "${fields[@]:2}"; do
        if ! grep -qF -- "$text" "$work/text.txt"; then
            echo "report $report: \"$text\" is not in the PDF"
            failed=1
        fi
    done
    echo "report $report: $pages pages"
    if [ -n "$pngs" ]; then
        pdftoppm -f 1 -l 1 -r 60 -png -singlefile "$pdf" "$pngs/print-$report"
    fi
done

# A file that cannot be read, a report that does not exist and nothing to write to.
set +e
"$quivra" --print-pdf "$work/x.pdf" "$work/missing.qvf" > /dev/null 2>&1
[ $? -eq 2 ] || { echo "a missing data file does not exit with 2"; failed=1; }
"$quivra" --print-pdf "$work/x.pdf" --report 7 "$demo" > /dev/null 2>&1
[ $? -eq 1 ] || { echo "report 7 does not exit with 1"; failed=1; }
"$quivra" --print-pdf "$work/no/such/folder/x.pdf" "$demo" > /dev/null 2>&1
[ $? -eq 2 ] || { echo "an unwritable PDF does not exit with 2"; failed=1; }
set -e
[ ! -e "$work/x.pdf" ] || { echo "a failed run left a PDF behind"; failed=1; }

exit $failed
