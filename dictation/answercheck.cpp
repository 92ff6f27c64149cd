#include "dictation/answercheck.h"

#include "platform/blanks.h"

#include <string>
#include <string_view>

namespace {

// Code points, so that searching and lengths never split a surrogate pair.
using Text = std::u32string;

char16_t upperUnit(char16_t unit)
{
    return unit >= u'a' && unit <= u'z' ? char16_t(unit - (u'a' - u'A')) : unit;
}

// The form every comparison is made on: trimmed, ASCII upper-cased, decoded.
// A lone surrogate is kept as its own value rather than replaced, so that it
// matches only itself.
Text comparable(const QString &text)
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

} // namespace

std::optional<CheckHit> findInAnswer(const QString &typed, int lineCount,
                                     const std::function<QString(int)> &lineAt)
{
    const Text wanted = comparable(typed);
    if (wanted.empty() || lineCount <= 0)
        return std::nullopt;

    // Each line is fetched and decoded once: the next line of one step is the
    // current line of the following step.
    Text current = comparable(lineAt(0));
    Text joined;
    for (int i = 0; i < lineCount; ++i) {
        if (current == wanted)
            return CheckHit{i, {}};

        Text next = i + 1 < lineCount ? comparable(lineAt(i + 1)) : Text();

        // An empty line cannot hold the start of a match.
        if (!current.empty()) {
            joined = current;
            // Both parts are trimmed, so the joined text needs no trimming
            // except that no blank is added before an empty next line.
            if (current.back() != U'-' && !next.empty())
                joined += U' ';
            joined += next;

            // Only a match starting within the current line counts, so the
            // search need not look further than that.
            const std::u32string_view scope =
                std::u32string_view(joined).substr(0, current.size() - 1 + wanted.size());
            const std::size_t at = scope.find(wanted);
            if (at != std::u32string_view::npos) {
                const std::size_t after = at + wanted.size();
                return CheckHit{i, after < joined.size() ? tailFrom(joined[after]) : QString()};
            }
        }
        current = std::move(next);
    }
    return std::nullopt;
}
