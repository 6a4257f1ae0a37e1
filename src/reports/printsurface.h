#pragma once

// PrintSurface: what printed reports draw on. A surface is a document of pages measured in
// device units (0, 0 at the top left of the printable area); text is UTF-8 and placed by the top
// of its line. A printer, a PDF file and the recording surface of the tests implement it.
//
// The document starts with its first page open: beginDocument() opens page 1 and newPage()
// each further page, so a document always has at least one page.

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

enum class PenStyle { Solid, Dash, Dot };

// Font style bits.
enum FontStyle : int {
    FontPlain = 0,
    FontBold = 1 << 0,
    FontItalic = 1 << 1,
};

struct PrintRect
{
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PrintRect &, const PrintRect &) = default;
};

class PrintSurface
{
public:
    virtual ~PrintSurface() = default;

    // False when the document cannot be started (no printer, a file that cannot be written);
    // error() then says why.
    virtual bool beginDocument(std::string_view title) = 0;
    virtual void newPage() = 0;
    // False when the document could not be finished (the file is incomplete).
    virtual bool endDocument() = 0;
    virtual std::string error() const { return {}; }

    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;

    // The font of the text drawn and measured from now on: the printer font in these styles.
    virtual void setFontStyle(int style) = 0;
    virtual int textWidth(std::string_view text) const = 0;
    // The height of one line of text ("X") in the current font.
    virtual int textHeight() const = 0;

    // Text whose line starts at (x, top), clipped to `clip`.
    virtual void drawText(const PrintRect &clip, int x, int top, std::string_view text) = 0;
    virtual void drawRect(const PrintRect &r) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, PenStyle pen) = 0;
    // The picture file scaled into `box` with its proportions kept; nothing when it cannot be
    // read.
    virtual void drawPicture(const PrintRect &box, const std::string &path) = 0;
};

// Records what is drawn, with fixed metrics: every character (UTF-8 code point) is `charWidth`
// wide, bold ones one unit more, and a line is `lineHeight` high. For tests and for counting
// the pages of a report without a printer.
class RecordingSurface final : public PrintSurface
{
public:
    struct Text
    {
        int page = 0;
        int x = 0, top = 0;
        int style = 0;
        PrintRect clip;
        std::string text;
    };
    struct Line
    {
        int page = 0;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        PenStyle pen = PenStyle::Solid;
    };
    struct Rect
    {
        int page = 0;
        PrintRect rect;
    };

    RecordingSurface(int width = 2000, int height = 2800, int charWidth = 10, int lineHeight = 20)
        : m_width(width), m_height(height), m_charWidth(charWidth), m_lineHeight(lineHeight)
    {}

    bool beginDocument(std::string_view title) override;
    void newPage() override;
    bool endDocument() override;
    int pageWidth() const override { return m_width; }
    int pageHeight() const override { return m_height; }
    void setFontStyle(int style) override { m_style = style; }
    int textWidth(std::string_view text) const override;
    int textHeight() const override { return m_lineHeight; }
    void drawText(const PrintRect &clip, int x, int top, std::string_view text) override;
    void drawRect(const PrintRect &r) override;
    void drawLine(int x1, int y1, int x2, int y2, PenStyle pen) override;
    void drawPicture(const PrintRect &box, const std::string &path) override;

    std::string title;
    int pages = 0; // pages of the document, 0 before it begins
    bool ended = false;
    std::vector<Text> texts;
    std::vector<Line> lines;
    std::vector<Rect> rects;
    std::vector<Rect> pictures;

    // The texts of one page (1-based) in the order drawn, and whether any text of the document
    // contains `part`.
    std::vector<std::string> pageTexts(int page) const;
    bool contains(std::string_view part) const;

private:
    int m_width, m_height, m_charWidth, m_lineHeight;
    int m_style = 0;
};

} // namespace quivra
