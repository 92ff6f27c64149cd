#include "help/guidecontents.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>

QList<GuideEntry> guideContents(const QString &indexHtml)
{
    static const QRegularExpression nav(
        QStringLiteral("<nav\\s+class=\"contents\"[^>]*>(.*?)</nav>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    // List openings and closings track the level; links are the entries.
    static const QRegularExpression token(
        QStringLiteral("<(/?)(?:ul|ol)\\b[^>]*>|<a\\s+href=\"([^\"]+)\"[^>]*>(.*?)</a>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch block = nav.match(indexHtml);
    if (!block.hasMatch())
        return {};
    QList<GuideEntry> entries;
    int depth = 0;
    for (const QRegularExpressionMatch &m : token.globalMatch(block.captured(1))) {
        if (m.captured(2).isEmpty()) {
            depth += m.captured(1).isEmpty() ? 1 : -1;
            continue;
        }
        GuideEntry entry;
        entry.target = QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText();
        entry.title = QTextDocumentFragment::fromHtml(m.captured(3)).toPlainText().simplified();
        entry.level = depth > 1 ? 1 : 0;
        entries.append(entry);
    }
    return entries;
}
