#include "platform/imagelist.h"

#include <QFile>
#include <QIconEngine>
#include <QString>

#include <array>
#include <optional>

namespace {

// An icon whose drawing is read when it is first painted. Reading an SVG
// image parses it, and the window's 34 images are parsed before it can
// show: this keeps that work until the window is up.
class DeferredSvgIconEngine final : public QIconEngine
{
public:
    explicit DeferredSvgIconEngine(QString path) : m_path(std::move(path)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().actualSize(size, mode, state);
    }
    // Asked for in device pixels (also for a scaled pixmap): the drawing is
    // made at exactly that size.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().pixmap(size, 1.0, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().availableSizes(mode, state);
    }
    bool isNull() override { return m_icon ? m_icon->isNull() : !QFile::exists(m_path); }
    QString key() const override { return QStringLiteral("QuillmarDeferredSvg"); }
    QIconEngine *clone() const override { return new DeferredSvgIconEngine(*this); }

private:
    const QIcon &loaded()
    {
        if (!m_icon)
            m_icon = QIcon(m_path);
        return *m_icon;
    }

    QString m_path;
    std::optional<QIcon> m_icon;
};

QIcon deferredSvgIcon(const QString &path)
{
    return QIcon(new DeferredSvgIconEngine(path));
}

} // namespace

// Q_INIT_RESOURCE must be used at global scope: it declares a function
// named after the resource file.
void initImageListResources()
{
    Q_INIT_RESOURCE(icons);
}

QIcon imageListIcon(int index)
{
    if (index < 0 || index >= ImageListCount)
        return {};
    // A read-only cache: QIcon shares its data, and every caller gets the
    // same icon for the same index (and each image is read once).
    static const std::array<QIcon, ImageListCount> icons = [] {
        std::array<QIcon, ImageListCount> list;
        for (int i = 0; i < ImageListCount; ++i)
            list[i] =
                deferredSvgIcon(QStringLiteral(":/icons/%1.svg").arg(i, 2, 10, QLatin1Char('0')));
        return list;
    }();
    return icons[index];
}

QIcon applicationIcon()
{
    return deferredSvgIcon(QStringLiteral(":/icons/quillmar.svg"));
}
