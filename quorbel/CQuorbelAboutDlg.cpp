#include "quorbel/CQuorbelAboutDlg.h"

#include "quorbel/dialog_units.h"

#include "platform/printing/paper_sizes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace quorbel {

namespace {

// What Help adds to the box's height, in pixels.
constexpr int kExpansion = 140;

QString paperRow(int code, const QString& description)
{
    return QStringLiteral("%1     %2 ").arg(code, 7).arg(description);
}

} // namespace

CQuorbelAboutDlg::CQuorbelAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("CQuorbelAboutDlg");
    setFont(dialogFont());
    const DialogUnits du(font());
    resize(du.x(217), du.y(129));

    m_icon = new QLabel(this);
    m_icon->setObjectName("picIcon");
    m_icon->setGeometry(du.rect(10, 10, 20, 20));
    m_icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(m_icon->size()));

    m_caption = new QLabel(QStringLiteral("Quorbel 控件 2.0"), this);
    m_caption->setObjectName("lblCaption");
    m_caption->setGeometry(du.rect(40, 10, 127, 8));

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName("IDOK");
    m_ok->setGeometry(du.rect(178, 7, 32, 14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_help = new QPushButton(QStringLiteral("帮助"), this);
    m_help->setObjectName("IDHELP");
    m_help->setGeometry(du.rect(178, 25, 32, 14));
    connect(m_help, &QPushButton::clicked, this, &CQuorbelAboutDlg::OnHelpExpand);

    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName("txtUsage");
    m_edit->setGeometry(du.rect(7, 36, 203, 86));
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed = font();
    fixed.setFamilies({QStringLiteral("宋体"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei Mono"),
                       QStringLiteral("Monospace")});
    fixed.setStyleHint(QFont::TypeWriter);
    m_edit->setFont(fixed);
    m_edit->hide();

    setTabOrder(m_ok, m_help);
    setTabOrder(m_help, m_edit);

    if (OnInitDialog())
        m_ok->setFocus();
}

bool CQuorbelAboutDlg::OnInitDialog()
{
    DoDataExchange(false);
    m_expanded = 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect box(QPoint(), size());
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
    BuildUsageText();
    return true;
}

void CQuorbelAboutDlg::DoDataExchange(bool save)
{
    if (save)
        m_editText = m_edit->toPlainText();
    else
        m_edit->setPlainText(QString(m_editText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CQuorbelAboutDlg::OnHelpExpand()
{
    if (m_expanded)
        return;
    m_expanded = 1;
    const QRect client = rect();
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    setGeometry(topLeft.x(), topLeft.y(), client.width(), client.height() + kExpansion);
    raise();
    show();
    m_edit->move(10, client.height() - 10);
    m_edit->raise();
    m_edit->show();
    m_editText = m_usage;
    DoDataExchange(false);
}

void CQuorbelAboutDlg::BuildUsageText()
{
    const QString line = QStringLiteral("\r\n");
    const QString blank = line + line;
    auto description = [](int code) {
        const std::string_view text = printing::paperSizeForCode(code)->description;
        QString result = QString::fromUtf8(text.data(), qsizetype(text.size()));
        // these two have always been listed with a blank more
        if (code == 14 || code == 19)
            result += ' ';
        return result;
    };
    auto rows = [&](int first, int last) {
        QString text;
        for (int code = first; code <= last; ++code)
            text += paperRow(code, description(code)) + line;
        return text;
    };

    m_usage.clear();
    m_usage += QStringLiteral("Quorbel使用") + blank;
    m_usage += QStringLiteral("PaperSize 纸张类型（属性）") + line;
    m_usage += QStringLiteral("PrinterName 打印机名称（属性）") + line;
    m_usage += QStringLiteral("PaperLength 自定义纸张长度（属性 Integer）单位为0.1毫米") + line;
    m_usage += QStringLiteral("PaperWidth 自定义纸张宽度（属性 Integer）单位为0.1毫米") + line;
    m_usage += QStringLiteral("UserFormName Windows2000以上系统自定义纸张名称（属性）") + line;
    m_usage += QStringLiteral("Orientation 打印方向（属性 Integer）1 或 2") + line;
    m_usage += QStringLiteral("以上所有属性都必须赋值") + blank;
    m_usage += QStringLiteral("SetPaper 更改纸张设置（方法）") + blank;
    m_usage += QStringLiteral(" PaperSize    纸张类型 ") + line;
    m_usage += rows(1, 41);
    m_usage += paperRow(printing::kCustomPaperSize, QStringLiteral("User_Define")) + blank;
    m_usage += QStringLiteral("    以下是windows95以上的windows系统 ") + blank;
    m_usage += rows(42, 68) + line;
    m_usage += QStringLiteral("     以下是Windows2000 及以上的Windows系统 ") + blank;
    m_usage += rows(69, 118);
}

void CQuorbelAboutDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1)); // the box's thin border
}

} // namespace quorbel
