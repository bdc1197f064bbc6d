#include "platform/gui/text_layout.h"

#include <algorithm>
#include <cstdlib>

namespace vdx::gui {

namespace {

struct Paragraph {
    std::string text;
    int underline = -1;
};

// Splits at CR LF, CR or LF; a break at the very end opens no further line.
std::vector<std::string_view> SplitParagraphs(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        out.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.push_back(text.substr(start));
    return out;
}

int Measure(std::string_view s, bool expandTabs, const std::vector<int>& stops,
            const TTextMeasurer& m) {
    if (s.empty())
        return 0;
    return expandTabs ? TabbedWidth(s, stops, m) : m.Width(s);
}

// Where the line that starts at begin ends (exclusive) with word breaking,
// and where the next line starts (the blanks at the break dropped).
std::pair<std::size_t, std::size_t> BreakLine(const std::string& p, std::size_t begin, int width,
                                              bool breakWords, bool expandTabs,
                                              const std::vector<int>& stops,
                                              const TTextMeasurer& m) {
    std::size_t end = begin; // end of the last word that fits
    std::size_t i = begin;
    bool first = true;
    while (i < p.size()) {
        std::size_t wordEnd = i;
        while (wordEnd < p.size() && p[wordEnd] == ' ')
            ++wordEnd;
        while (wordEnd < p.size() && p[wordEnd] != ' ')
            ++wordEnd;
        const int w =
            Measure(std::string_view(p).substr(begin, wordEnd - begin), expandTabs, stops, m);
        if (w <= width) {
            end = wordEnd;
            i = wordEnd;
            first = false;
            continue;
        }
        if (first) {
            if (breakWords) {
                // A word wider than the line is cut where it stops fitting.
                std::size_t cut = begin + 1;
                while (cut < wordEnd && Measure(std::string_view(p).substr(begin, cut + 1 - begin),
                                                expandTabs, stops, m) <= width)
                    ++cut;
                end = cut;
            } else {
                end = wordEnd;
            }
        }
        break;
    }
    if (end == begin)
        end = std::max(begin + 1, i);
    std::size_t next = end;
    while (next < p.size() && p[next] == ' ')
        ++next;
    return {end, next};
}

// The longest start of text that fits width with "..." after it.
std::string WithEllipsis(const std::string& text, int width, int& underline, bool expandTabs,
                         const std::vector<int>& stops, const TTextMeasurer& m) {
    static constexpr std::string_view kDots = "...";
    std::size_t keep = text.size();
    std::string candidate;
    while (true) {
        candidate.assign(text, 0, keep);
        candidate += kDots;
        if (keep == 0 || Measure(candidate, expandTabs, stops, m) <= width)
            break;
        --keep;
    }
    if (underline >= int(keep))
        underline = -1;
    return candidate;
}

// A path shortened in the middle: as much of the folder part as fits, "...",
// then the last component whole (from its separator on). A text without a
// separator is shortened at its end.
std::string WithPathEllipsis(const std::string& text, int width, int& underline, bool expandTabs,
                             const std::vector<int>& stops, const TTextMeasurer& m) {
    static constexpr std::string_view kDots = "...";
    const std::size_t sep = text.find_last_of("\\/");
    if (sep == std::string::npos)
        return WithEllipsis(text, width, underline, expandTabs, stops, m);
    const std::string_view tail = std::string_view(text).substr(sep);
    std::size_t keep = sep;
    std::string candidate;
    while (true) {
        candidate.assign(text, 0, keep);
        candidate += kDots;
        candidate += tail;
        if (keep == 0 || Measure(candidate, expandTabs, stops, m) <= width)
            break;
        --keep;
    }
    if (underline >= int(sep))
        underline += int(keep) + int(kDots.size()) - int(sep);
    else if (underline >= int(keep))
        underline = -1;
    return candidate;
}

} // namespace

TPrefixedText ResolvePrefixes(std::string_view text) {
    TPrefixedText out;
    out.Text.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out.Text.push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing "&" shows nothing
        if (text[i + 1] == '&') {
            out.Text.push_back('&');
            ++i;
            continue;
        }
        if (out.Underline < 0)
            out.Underline = int(out.Text.size());
    }
    return out;
}

int NextTabStop(int x, const std::vector<int>& stops, int aveCharWidth) {
    auto every = [x](int step) {
        if (step <= 0)
            step = 1;
        return (x / step + 1) * step;
    };
    if (stops.empty())
        return every(8 * aveCharWidth);
    if (stops.size() == 1)
        return every(std::abs(stops[0]) > 0 ? std::abs(stops[0]) : 8 * aveCharWidth);
    for (int s : stops)
        if (std::abs(s) > x)
            return std::abs(s);
    const int last = std::abs(stops.back());
    int step = last - std::abs(stops[stops.size() - 2]);
    if (step <= 0)
        step = 8 * aveCharWidth > 0 ? 8 * aveCharWidth : 1;
    return last + ((x - last) / step + 1) * step;
}

int TabbedWidth(std::string_view text, const std::vector<int>& stops, const TTextMeasurer& m) {
    int x = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = text.find('\t', start);
        const std::string_view run = text.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (!run.empty())
            x += m.Width(run);
        if (tab == std::string_view::npos)
            return x;
        x = NextTabStop(x, stops, m.AveCharWidth);
        start = tab + 1;
    }
}

TTextLayout LayoutDrawText(std::string_view text, const TRect& rect, unsigned flags,
                           const TTextMeasurer& m) {
    TTextLayout layout;
    layout.Rect = rect;
    // With DT_TABSTOP the second byte is the tab size, not flags.
    unsigned tabChars = 8;
    if (flags & DT_TABSTOP) {
        tabChars = (flags >> 8) & 0xFF;
        flags &= ~0xFF00u;
    }
    const bool expandTabs = (flags & DT_EXPANDTABS) != 0;
    if (expandTabs && tabChars != 8)
        layout.TabStops = {int(tabChars) * m.AveCharWidth};
    const bool single = (flags & DT_SINGLELINE) != 0;
    const bool wordBreak = (flags & DT_WORDBREAK) != 0 && !single;
    const bool pathEllipsis = (flags & DT_PATH_ELLIPSIS) != 0;
    const bool ellipsis = (flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0 || pathEllipsis;
    const int lineHeight = m.LineHeight + ((flags & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);
    const int width = rect.Width();

    std::vector<Paragraph> paragraphs;
    auto addParagraph = [&](std::string_view raw) {
        Paragraph p;
        if (flags & DT_NOPREFIX) {
            p.text.assign(raw);
        } else {
            TPrefixedText r = ResolvePrefixes(raw);
            p.text = std::move(r.Text);
            p.underline = (flags & DT_HIDEPREFIX) ? -1 : r.Underline;
        }
        paragraphs.push_back(std::move(p));
    };
    if (single) {
        if (!text.empty())
            addParagraph(text);
    } else {
        for (std::string_view raw : SplitParagraphs(text))
            addParagraph(raw);
    }

    for (const Paragraph& p : paragraphs) {
        std::size_t begin = 0;
        do {
            TTextLine line;
            std::size_t end = p.text.size();
            std::size_t next = end;
            if (wordBreak && !p.text.empty()) {
                auto br = BreakLine(p.text, begin, width, (flags & DT_EDITCONTROL) != 0, expandTabs,
                                    layout.TabStops, m);
                end = br.first;
                next = br.second;
            }
            line.Text = p.text.substr(begin, end - begin);
            if (p.underline >= int(begin) && p.underline < int(end))
                line.Underline = p.underline - int(begin);
            line.Width = Measure(line.Text, expandTabs, layout.TabStops, m);
            if (ellipsis && line.Width > width) {
                line.Text = pathEllipsis ? WithPathEllipsis(line.Text, width, line.Underline,
                                                            expandTabs, layout.TabStops, m)
                                         : WithEllipsis(line.Text, width, line.Underline,
                                                        expandTabs, layout.TabStops, m);
                line.Width = Measure(line.Text, expandTabs, layout.TabStops, m);
            }
            layout.Lines.push_back(std::move(line));
            begin = next;
        } while (begin < p.text.size());
    }

    int maxWidth = 0;
    for (const TTextLine& l : layout.Lines)
        maxWidth = std::max(maxWidth, l.Width);
    const int total = int(layout.Lines.size()) * lineHeight;

    int top = rect.Top;
    if (single && (flags & DT_VCENTER))
        top = (rect.Top + rect.Bottom - lineHeight) / 2;
    else if (single && (flags & DT_BOTTOM))
        top = rect.Bottom - lineHeight;

    if (flags & DT_CALCRECT)
        layout.Rect = {rect.Left, rect.Top, rect.Left + maxWidth, rect.Top + total};
    const TRect& box = layout.Rect;
    for (std::size_t i = 0; i < layout.Lines.size(); ++i) {
        TTextLine& l = layout.Lines[i];
        if (flags & DT_CENTER)
            l.X = (box.Left + box.Right - l.Width) / 2;
        else if (flags & DT_RIGHT)
            l.X = box.Right - l.Width;
        else
            l.X = box.Left;
        l.Y = top + int(i) * lineHeight;
    }
    if (single && (flags & (DT_VCENTER | DT_BOTTOM)) && !layout.Lines.empty())
        layout.Result = top + lineHeight - rect.Top;
    else
        layout.Result = total;
    return layout;
}

std::size_t FittingLength(std::string_view text, int width, const TTextMeasurer& m) {
    if (m.Width(text) <= width)
        return text.size();
    // Widths grow with the length: the longest start that fits, by halving.
    std::size_t fits = 0;
    std::size_t tooLong = text.size();
    while (tooLong - fits > 1) {
        const std::size_t mid = fits + (tooLong - fits) / 2;
        if (m.Width(text.substr(0, mid)) <= width)
            fits = mid;
        else
            tooLong = mid;
    }
    return fits;
}

} // namespace vdx::gui
