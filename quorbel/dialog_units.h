// The control's windows are laid out in dialog units: a quarter of the dialog font's average character
// width across, an eighth of its height down.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

namespace quorbel {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font)
    {
        const QFontMetrics metrics(font);
        static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX_ = (metrics.horizontalAdvance(letters) + 26) / 52;
        baseY_ = metrics.height();
    }
    int x(int units) const { return (units * baseX_ + 2) / 4; }
    int y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect rect(int left, int top, int width, int height) const { return QRect(x(left), y(top), x(width), y(height)); }

private:
    int baseX_ = 0;
    int baseY_ = 0;
};

// The dialog font of the control's windows: 宋体 at 10 points, or the nearest that the machine has.
inline QFont dialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(10);
    return font;
}

} // namespace quorbel
