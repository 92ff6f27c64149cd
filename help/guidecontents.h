#pragma once

#include <QList>
#include <QString>

// One entry of the guide's table of contents: a page (or a place on it,
// with "#anchor") relative to the first page, and its title.
struct GuideEntry {
    QString target;
    QString title;
    int level = 0; // 0 for a page, 1 for a section within it
};

// The table of contents of a guide's first page: the links of its
// <nav class="contents"> block, in order, a nested list giving the second
// level. Empty when the page has no such block.
QList<GuideEntry> guideContents(const QString &indexHtml);
