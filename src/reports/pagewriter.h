#pragma once

// The writer of one publish run, shared by the timetable pages (htmlpublish.cpp) and the list
// and timeline pages (listpages.cpp). Not part of the library's interface.

#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/random.h"
#include "reports/htmlpublish.h"
#include "reports/weekfigures.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace quivra {

class PageWriter
{
public:
    PageWriter(const ScheduleData &d, const ReportParams &p, const PublishOptions &o,
               FileSink &sink, const RunEnvironment &env);
    PublishResult run();

    // Texts.
    std::string text(std::string_view dataBytes) const; // escaped UTF-8 of data bytes
    std::string colourHex(std::int32_t colour) const;
    std::string colour(int k) const; // " bgcolor=\"#rrggbb\""
    std::string codeColour(CodeId c, int k) const;
    std::string fontTag() const;
    std::string organisation(std::string_view separator) const;
    std::string weekLabel(int w) const;
    std::string weekRangeLabel() const;
    std::string codeLabel(CodeId c, int format) const;
    std::string categoryLetter(CodeId c) const;
    std::string categoryText(CodeId c, int mode) const;
    std::string bellName(int day, int bell) const;
    std::string dayName(int day) const;
    std::string dateOf(int w, int day) const; // "ddddd" of a day of a one-unit dated week
    std::string reportHeading() const;

    // Page pieces.
    std::string frame();
    std::string titleBlock() const;
    std::string pageEnd() const;
    std::string sourceComment() const;
    std::string upLink() const;
    std::string tableStart(bool withWidth, int colourIndex = 0) const;
    std::string eventLink(CodeId e, const std::string &label);
    std::string eventAddress(CodeId e) const; // the event link template filled in
    std::string resourceLink(CodeId r, const std::string &label);
    std::string codeLink(CodeId c, const std::string &label);

    // Names.
    std::string pageName(CodeId c, int week, int report);
    std::string referenceName(CodeId c);
    std::string weekPageName(int w);
    std::string calendarName(CodeId r);
    std::string extension() const;

    // Writing.
    void writePage(const std::string &name, const std::string &html);
    // Closes what the cell format command opens at the end of each cell it starts.
    std::string closeCellFormats(const std::string &html) const;

    // Report 3 and the pages every report shares (htmlpublish.cpp).
    void timetablesReport();
    std::string timetable(CodeId c, int w);
    std::string weekIndexPage(int w, const std::vector<CodeId> &codes, int report);
    std::string weeksPage(const std::string &stem);
    std::string monthCalendars(const std::string &stem);
    std::string dailyPage(int w, int day); // writes the page once; returns its name
    // The cells of one day of the week timetable in hand: a run of the same event is one
    // cell, free and booked bells are blank.
    std::string dayCells(int day, int bells);
    void referencePages();
    std::string eventPage(CodeId e);
    std::string resourcePage(CodeId r);
    void calendarFiles();

    // Reports 1, 2, 4, 5 and 6 (listpages.cpp).
    void codeListReport();
    void eventTimetablesReport();
    void timelineReport();
    std::string codeListHeader(CodeId c, int columns);
    std::string codeRow(CodeId c, const std::string &number, bool events);
    std::vector<int> weekSums(CodeId c)
    {
        return m_figures.weekSums(c, m_first, m_last, m_p.weekOptions);
    }
    std::string timelineBasic(int w);
    std::string timelineRooms(int w);
    std::string timelineAllEvents(int w, const std::vector<CodeId> &taken, CodeId single);

    const WeekFigures::Counts &counts(CodeId c) { return m_figures.counts(c); }
    const std::vector<CodeId> &eventsOf(CodeId r) { return m_figures.eventsOf(r); }

    const ScheduleData &m_d;
    ReportParams m_p;
    const PublishOptions &m_o;
    FileSink &m_sink;
    const RunEnvironment &m_env;
    LectureIndex m_index;
    WeekFigures m_figures{m_d, m_index};
    Random m_random;
    FileNames m_names;
    PublishResult m_result;
    std::string m_main;
    int m_first = 1, m_last = 1;
    std::vector<CodeId> m_codes; // the selected codes of the report's kind, table order
    bool m_oneFile = false;
    bool m_linkCalendars = false;
    WeekTimetable m_table;
};

} // namespace quivra
