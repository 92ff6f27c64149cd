#include "platform/filelabel.h"

#include <QCoreApplication>
#include <QLabel>

QString fileLabelText(const QString &kind, const QString &path)
{
    return QStringLiteral("  ") + kind + QStringLiteral(": ")
           + (path.isEmpty() ? QCoreApplication::translate("FileLabel", "未指定") : path);
}

QLabel *makeFileLabel(QWidget *parent, const QString &objectName, const QString &initialText)
{
    auto *label = new QLabel(initialText, parent);
    label->setObjectName(objectName);
    label->setFixedHeight(24);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
