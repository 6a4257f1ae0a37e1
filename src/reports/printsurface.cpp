#include "reports/printsurface.h"

namespace quivra {

bool RecordingSurface::beginDocument(std::string_view documentTitle)
{
    title = std::string(documentTitle);
    pages = 1;
    ended = false;
    return true;
}

void RecordingSurface::newPage()
{
    ++pages;
}

bool RecordingSurface::endDocument()
{
    ended = true;
    return true;
}

int RecordingSurface::textWidth(std::string_view text) const
{
    int characters = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    return characters * (m_charWidth + ((m_style & FontBold) ? 1 : 0));
}

void RecordingSurface::drawText(const PrintRect &clip, int x, int top, std::string_view text)
{
    texts.push_back({pages, x, top, m_style, clip, std::string(text)});
}

void RecordingSurface::drawRect(const PrintRect &r)
{
    rects.push_back({pages, r});
}

void RecordingSurface::drawLine(int x1, int y1, int x2, int y2, PenStyle pen)
{
    lines.push_back({pages, x1, y1, x2, y2, pen});
}

void RecordingSurface::drawPicture(const PrintRect &box, const std::string &)
{
    pictures.push_back({pages, box});
}

std::vector<std::string> RecordingSurface::pageTexts(int page) const
{
    std::vector<std::string> out;
    for (const Text &t : texts)
        if (t.page == page)
            out.push_back(t.text);
    return out;
}

bool RecordingSurface::contains(std::string_view part) const
{
    for (const Text &t : texts)
        if (t.text.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace quivra
