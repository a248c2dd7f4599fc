// The control's About box: a small borderless box with the icon, the caption line and the buttons OK and
// Help; Help unfolds, once, a read-only text on the control's members and the paper size codes.
// The box is named CQuorbelAboutDlg; its widgets picIcon, lblCaption, IDOK, IDHELP and txtUsage.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quorbel {

class CQuorbelAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CQuorbelAboutDlg(QWidget* parent = nullptr);

    const QString& usage() const { return m_usage; }

public slots:
    void OnHelpExpand();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool OnInitDialog();
    // Moves the edit's text to the control (`save` false) or back (`save` true).
    void DoDataExchange(bool save);
    void BuildUsageText();

    QPlainTextEdit* m_edit; // control 201
    QString m_editText;
    int m_expanded = 0;
    QString m_usage;

    QLabel* m_icon;
    QLabel* m_caption;
    QPushButton* m_ok;
    QPushButton* m_help;
};

} // namespace quorbel
