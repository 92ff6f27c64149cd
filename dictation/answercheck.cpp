#include "dictation/answercheck.h"

#include "platform/blanks.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

namespace {

using Text = std::u32string;
using TextView = std::u32string_view;

char16_t upperUnit(char16_t unit)
{
    return unit >= u'a' && unit <= u'z' ? char16_t(unit - (u'a' - u'A')) : unit;
}

// A lone surrogate is kept as its own value rather than replaced, so that it
// matches only itself.
Text comparableForm(const QString &text)
{
    const QChar *units = text.constData();
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(units[begin]))
        ++begin;
    while (end > begin && isBlank(units[end - 1]))
        --end;

    Text out;
    out.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t unit = units[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < end
            && QChar::isLowSurrogate(units[i + 1].unicode())) {
            out.push_back(QChar::surrogateToUcs4(unit, units[i + 1].unicode()));
            ++i;
        } else {
            out.push_back(upperUnit(unit));
        }
    }
    return out;
}

bool isLoneSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// The character after a match, if it may be appended: letters and digits of
// any script continue a word and are not taken; neither is a lone surrogate,
// which would put half a character into the document.
QString tailFrom(char32_t c)
{
    if (QChar::isLetterOrNumber(c) || isLoneSurrogate(c))
        return {};
    // Not QString::fromUcs4, which drops a U+FEFF as if it were a byte-order mark.
    const auto units = QChar::fromUcs4(c);
    return QStringView(units).toString();
}

// The match for line i: the line itself, or the typed text starting within
// it and ending within it or the next line. The first match in the joined
// text is searched for without building it: one wholly inside the line comes
// before any that reaches into the next.
std::optional<CheckHit> hitAt(TextView wanted, TextView current, TextView next, int i)
{
    if (current == wanted)
        return CheckHit{i, {}};
    // An empty line cannot hold the start of a match.
    if (current.empty())
        return std::nullopt;

    // Both parts are trimmed, so the joined text needs no trimming except
    // that no blank is added before an empty next line.
    const bool blank = current.back() != U'-' && !next.empty();
    const std::size_t size = current.size();
    // The character of the joined text at a position past the current line.
    const auto joinedAfter = [&](std::size_t at) -> std::optional<char32_t> {
        std::size_t inNext = at - size;
        if (blank) {
            if (inNext == 0)
                return U' ';
            --inNext;
        }
        if (inNext < next.size())
            return next[inNext];
        return std::nullopt;
    };
    const auto hit = [&](std::size_t at) {
        const std::size_t after = at + wanted.size();
        if (after < size)
            return CheckHit{i, tailFrom(current[after])};
        const std::optional<char32_t> c = joinedAfter(after);
        return CheckHit{i, c ? tailFrom(*c) : QString()};
    };

    const TextView line = current;
    const TextView want = wanted;
    if (want.size() <= size) {
        const std::size_t inside = line.find(want);
        if (inside != std::u32string_view::npos)
            return hit(inside);
    }

    // A match reaching into the next line starts within the last characters,
    // where the typed text's first character is.
    std::size_t at = want.size() > size ? 0 : size - want.size() + 1;
    for (; (at = line.find(want.front(), at)) != std::u32string_view::npos; ++at) {
        const std::size_t head = size - at;
        if (line.substr(at) != want.substr(0, head))
            continue;
        std::u32string_view rest = want.substr(head);
        if (blank) {
            if (rest.front() != U' ')
                continue;
            rest.remove_prefix(1);
        }
        if (next.substr(0, rest.size()) == rest)
            return hit(at);
    }
    return std::nullopt;
}

} // namespace

std::optional<CheckHit> findInAnswer(const QString &typed, int lineCount,
                                     const std::function<QString(int)> &lineAt)
{
    const Text wanted = comparableForm(typed);
    if (wanted.empty() || lineCount <= 0)
        return std::nullopt;

    // Each line is fetched and decoded once: the next line of one step is the
    // current line of the following step.
    Text current = comparableForm(lineAt(0));
    for (int i = 0; i < lineCount; ++i) {
        // An equal line needs no next one.
        if (current == wanted)
            return CheckHit{i, {}};
        Text next = i + 1 < lineCount ? comparableForm(lineAt(i + 1)) : Text();
        if (std::optional<CheckHit> found = hitAt(wanted, current, next, i))
            return found;
        current = std::move(next);
    }
    return std::nullopt;
}

void CheckText::append(const QString &line)
{
    const Text form = comparableForm(line);
    if (!m_starts.empty()) {
        const TextView previous = this->line(lineCount() - 1);
        if (!previous.empty() && previous.back() != U'-' && !form.empty())
            m_text += U' ';
    }
    m_starts.push_back(m_text.size());
    m_sizes.push_back(form.size());
    m_text += form;
}

void CheckText::clear()
{
    m_text.clear();
    m_starts.clear();
    m_sizes.clear();
}

std::u32string_view CheckText::line(int index) const
{
    return TextView(m_text).substr(m_starts[std::size_t(index)], m_sizes[std::size_t(index)]);
}

std::optional<CheckHit> CheckText::find(const QString &typed) const
{
    const Text wanted = comparableForm(typed);
    if (wanted.empty() || m_starts.empty())
        return std::nullopt;
    // Every match of a line lies in the text as a line and the next one joined
    // to it, so the search finds it there. What it finds may also run past
    // that next line, or over an empty line, which the line's own check
    // rules out.
    const std::boyer_moore_horspool_searcher searcher(wanted.begin(), wanted.end());
    const auto begin = m_text.begin();
    auto from = begin;
    while (true) {
        const auto found = std::search(from, m_text.end(), searcher);
        if (found == m_text.end())
            return std::nullopt;
        const std::size_t at = std::size_t(found - begin);
        const int index =
            int(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) - 1;
        const int next = index + 1;
        if (at < m_starts[std::size_t(index)] + m_sizes[std::size_t(index)]) {
            if (std::optional<CheckHit> hit =
                    hitAt(wanted, line(index), next < lineCount() ? line(next) : TextView(), index))
                return hit;
        }
        if (next >= lineCount())
            return std::nullopt;
        from = begin + std::ptrdiff_t(m_starts[std::size_t(next)]);
    }
}
