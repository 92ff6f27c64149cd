#pragma once

#include <QProxyStyle>

// The platform's own style, but the arrow a tool bar shows when its buttons
// do not fit is read only when first drawn. Qt reads that arrow's images
// (each size opened to learn how large it is) whenever a tool bar is made,
// which took longer than anything else in putting the window up, for an
// arrow the window's tool bars never show.
class ApplicationStyle : public QProxyStyle
{
public:
    ApplicationStyle();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
