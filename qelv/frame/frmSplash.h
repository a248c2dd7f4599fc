#pragma once
// The splash window between login and main window; its loading compacts the main data files.
#include <QDialog>
#include <QStringList>

class QLabel;
class QTimer;
class QFrame;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* owner = nullptr);

    // Fills the labels and compacts the data files; runs before the window becomes visible.
    void Form_Load();
    // Start-up has shown the main window: the next timer tick closes the splash.
    void startupDone();

    // The files compacted at start-up for an operating month, in order.
    static QStringList compactionList(const QDate& workMonth);
    static const char* transientName() { return "qelvbbk.mdb"; }
    // The version shown as "<major>.<minor>.<revision>".
    static QString versionText();

    QFrame* fraMainFrame;
    QLabel* lblProductName;
    QLabel* lblVersion;
    QLabel* lblCompany;
    QLabel* lblCompanyProduct;
    QLabel* lblPlatform;
    QLabel* lblWarning;
    QLabel* lblCopyright;
    QTimer* Timer1;

private:
    void CompactAllDatabases();
    void Timer1_Timer();
    bool startupDone_ = false;
};
