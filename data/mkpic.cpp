// Draws the picture of a blank invoice that the shipped invoice layout is placed on (pic/fp.jpg): the
// printed frame and captions of the stationery, without any value. Positions are in hundredths of a
// millimetre, as the layout's are; the picture has 15 twips to a pixel at 56.69 twips a millimetre,
// the scale at which the layout designer shows it and measures it.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstdio>

namespace {

constexpr double pixelsPerUnit = 56.69 / 1500.0; // a hundredth of a millimetre in pixels

QPointF at(double x, double y)
{
    return {x * pixelsPerUnit, y * pixelsPerUnit};
}
QRectF box(double x, double y, double w, double h)
{
    return {at(x, y), at(x + w, y + h)};
}

void line(QPainter& p, double x1, double y1, double x2, double y2)
{
    p.drawLine(at(x1, y1), at(x2, y2));
}

void caption(QPainter& p, double x, double y, double w, double h, const QString& text, int align = Qt::AlignLeft)
{
    p.drawText(box(x, y, w, h), align | Qt::AlignVCenter, text);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qelv-mkpic out.jpg\n");
        return 2;
    }
    QImage image(911, 529, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor ink(150, 40, 40); // the stationery's red print
    p.setPen(QPen(ink, 1));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));

    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    caption(p, 0, 600, 24100, 1200, QStringLiteral("排 污 费 专 用 票 据"), Qt::AlignHCenter);
    p.setPen(QPen(ink, 2));
    line(p, 8000, 1800, 16100, 1800);
    line(p, 8000, 1900, 16100, 1900);

    font.setBold(false);
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QPen(ink, 1));
    caption(p, 19500, 1300, 3500, 500, QStringLiteral("No."));
    // The payer and the date.
    caption(p, 1500, 2500, 2100, 600, QStringLiteral("缴款单位："));
    line(p, 3600, 3100, 12600, 3100);
    caption(p, 16400, 2500, 600, 600, QStringLiteral("年"));
    caption(p, 18200, 2500, 600, 600, QStringLiteral("月"));
    caption(p, 20000, 2500, 600, 600, QStringLiteral("日"));

    // The table of fee lines: a heading row, then eight lines of 8 mm between 40 and 104 mm.
    p.setPen(QPen(ink, 2));
    p.drawRect(box(1500, 3200, 21100, 8000));
    p.setPen(QPen(ink, 1));
    for (int k = 0; k <= 8; ++k)
        line(p, 1500, 4000 + 800 * k, 22600, 4000 + 800 * k);
    line(p, 2500, 3200, 2500, 10400);
    const char* const digits[] = {"千万", "百万", "十万", "万", "千", "百", "十", "元", "角", "分"};
    for (int i = 0; i < 10; ++i) {
        const double x = 12600 + 1000 * i;
        line(p, x, 3200, x, 10400);
        caption(p, x, 3200, 1000, 800, QString::fromUtf8(digits[i]), Qt::AlignHCenter);
    }
    caption(p, 1500, 3200, 1000, 800, QStringLiteral("序号"), Qt::AlignHCenter);
    caption(p, 2500, 3200, 10100, 800, QStringLiteral("收 费 项 目"), Qt::AlignHCenter);

    // The total, in capitals and in figures, and the late fee it includes.
    caption(p, 1600, 10400, 2800, 800, QStringLiteral("合计金额(大写)："));
    line(p, 12600, 10400, 12600, 11200);
    caption(p, 12700, 10400, 400, 800, QStringLiteral("￥"));
    line(p, 16900, 10400, 16900, 11200);
    caption(p, 17000, 10400, 2400, 800, QStringLiteral("其中滞纳金："));

    // The signatures.
    caption(p, 1500, 11700, 1900, 600, QStringLiteral("收款单位："));
    caption(p, 10000, 11700, 1200, 600, QStringLiteral("审核："));
    caption(p, 15000, 11700, 1700, 600, QStringLiteral("经手人："));
    font.setPixelSize(11);
    p.setFont(font);
    caption(p, 1500, 12800, 21100, 500, QStringLiteral("第二联  发票联（缴款单位作付款凭证）"));
    p.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]), "JPG", 92)) {
        std::fprintf(stderr, "qelv-mkpic: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
