#pragma once
// The progress window: one line of text that a long operation sets and changes; its caller unloads it.
#include <QDialog>

class QLabel;

class frmMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit frmMsgBox(QWidget* owner = nullptr);
    QLabel* text1;
    // Sets the text and shows the window in front, painted, before the operation goes on.
    void showText(const QString& text);
    void setText(const QString& text);
};
