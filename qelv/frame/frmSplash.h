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
