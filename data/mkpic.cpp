// Draws the pictures of the blank stationery that the shipped layouts are placed on: the invoice
// (pic/fp.jpg) and the bank's collection voucher (pic/wt.jpg), each the printed frame and captions of
// the form, without any value. Positions are in hundredths of a millimetre, as the layouts' are; a
// picture has 15 twips to a pixel at 56.69 twips a millimetre, the scale at which the layout designers
// show it and measure it.
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

void prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// The blank invoice: 911 by 529 pixels.
QImage invoice()
{
    QImage image(911, 529, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    prepare(p);
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
    return image;
}

// Characters one below the other, centred in the box (the vertical captions of the voucher).
void upright(QPainter& p, double x, double y, double w, double h, const QString& text)
{
    const double step = h / text.size();
    for (int i = 0; i < text.size(); ++i)
        caption(p, x, y + step * i, w, step, text.mid(i, 1), Qt::AlignHCenter);
}

// The bank's blank collection voucher: 665 by 378 pixels, 176 by 100 mm.
QImage voucher()
{
    QImage image(665, 378, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    prepare(p);
    const QColor ink(20, 90, 60); // the bank's green print
    p.setPen(QPen(ink, 1));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));

    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    caption(p, 0, 200, 17596, 800, QStringLiteral("委 托 收 款 凭 证"), Qt::AlignHCenter);
    p.setPen(QPen(ink, 2));
    line(p, 5800, 1000, 11800, 1000);
    line(p, 5800, 1060, 11800, 1060);

    font.setBold(false);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QPen(ink, 1));
    // The date and the document's number.
    caption(p, 4600, 1150, 1700, 530, QStringLiteral("委托日期"));
    caption(p, 7300, 1150, 400, 530, QStringLiteral("年"));
    caption(p, 8400, 1150, 400, 530, QStringLiteral("月"));
    caption(p, 9500, 1150, 400, 530, QStringLiteral("日"));
    caption(p, 12300, 1150, 1600, 530, QStringLiteral("委托号码"));

    p.setPen(QPen(ink, 2));
    p.drawRect(box(500, 1750, 16600, 6900));
    p.setPen(QPen(ink, 1));
    // Payer on the left, payee on the right: name, account and bank, one row each.
    for (double y : {2550.0, 3350.0}) {
        line(p, 1100, y, 8800, y);
        line(p, 9400, y, 17100, y);
    }
    for (double y : {4150.0, 5350.0, 6150.0, 6950.0})
        line(p, 500, y, 17100, y);
    for (double x : {1100.0, 2500.0, 9400.0, 10800.0})
        line(p, x, 1750, x, 4150);
    line(p, 8800, 1750, 8800, 4150);
    upright(p, 500, 1850, 600, 2200, QStringLiteral("付款人"));
    upright(p, 8800, 1850, 600, 2200, QStringLiteral("收款人"));
    const char* const rows[] = {"全  称", "账  号", "开户银行"};
    for (int i = 0; i < 3; ++i) {
        caption(p, 1100, 1750 + 800 * i, 1400, 800, QString::fromUtf8(rows[i]), Qt::AlignHCenter);
        caption(p, 9400, 1750 + 800 * i, 1400, 800, QString::fromUtf8(rows[i]), Qt::AlignHCenter);
    }

    // The amount, in capitals and in one column per digit.
    line(p, 2500, 4150, 2500, 6950);
    caption(p, 500, 4150, 2000, 600, QStringLiteral("委托金额"), Qt::AlignHCenter);
    caption(p, 500, 4750, 2000, 600, QStringLiteral("人民币(大写)"), Qt::AlignHCenter);
    line(p, 11100, 4150, 11100, 5350);
    line(p, 11100, 4650, 17100, 4650);
    const char* const digits[] = {"千", "百", "十", "万", "千", "百", "十", "元", "角", "分"};
    for (int i = 0; i < 10; ++i) {
        const double x = 11100 + 600 * i;
        if (i > 0)
            line(p, x, 4150, x, 5350);
        caption(p, x, 4150, 600, 500, QString::fromUtf8(digits[i]), Qt::AlignHCenter);
    }

    // What the money is for, the agreement, the papers sent along and the password.
    line(p, 8800, 5350, 8800, 8650);
    line(p, 10800, 5350, 10800, 7750);
    line(p, 8800, 7750, 17100, 7750);
    caption(p, 500, 5350, 2000, 800, QStringLiteral("款项内容"), Qt::AlignHCenter);
    caption(p, 8800, 5350, 2000, 800, QStringLiteral("协议号"), Qt::AlignHCenter);
    caption(p, 500, 6150, 2000, 800, QStringLiteral("凭据名称"), Qt::AlignHCenter);
    caption(p, 8800, 6150, 2000, 800, QStringLiteral("附寄单证张数"), Qt::AlignHCenter);
    caption(p, 600, 7000, 2000, 500, QStringLiteral("备注："));
    caption(p, 8800, 6950, 2000, 800, QStringLiteral("密  码"), Qt::AlignHCenter);
    caption(p, 8900, 7800, 8100, 800, QStringLiteral("收款人开户银行签章"), Qt::AlignRight);

    caption(p, 500, 8750, 16600, 500, QStringLiteral("单位主管          会计          复核          记账"));
    font.setPixelSize(10);
    p.setFont(font);
    caption(p, 500, 9350, 16600, 450, QStringLiteral("第一联  回单（此联是收款人开户银行给收款人的回单）"));
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString form = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (form != QLatin1String("fp") && form != QLatin1String("wt")) {
        std::fprintf(stderr, "usage: qelv-mkpic fp|wt out.jpg\n");
        return 2;
    }
    const QImage image = form == QLatin1String("fp") ? invoice() : voucher();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "JPG", 92)) {
        std::fprintf(stderr, "qelv-mkpic: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
