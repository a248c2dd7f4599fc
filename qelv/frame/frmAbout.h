#pragma once
// The About box: title, version, description, and the system information program.
#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // The one instance, (re)loaded for each opening.
    static frmAbout* instance(QWidget* owner);
    static void release();

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Starts the system information program, or says that there is none.
    void StartSysInfo();
    // The system information program to start: the configured one (settings value "SysInfoPath"),
    // else the first well-known tool found on PATH; empty when there is none.
    static QString sysInfoProgram();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

private:
    explicit frmAbout(QWidget* owner);
};
