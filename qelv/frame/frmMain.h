#pragma once
// The main window: menu, toolbar and status bar open every work and maintenance window.
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;
class QDialog;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);

    void Form_Load();
    // Opens a new instance of a registered window with this window as owner; modal windows are
    // waited for. Returns the window (already gone again for a modal one: null).
    QDialog* openWindow(const QString& formName, bool modal);
    // Shows the operator, invoice date and operating month in panels 2 to 4.
    void writeStatusPanels();
    void sbStatusBar_PanelClick(const QString& key);
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void mnuFileExit_Click();
    void Toolbar1_ButtonClick(const QString& key);

    QToolBar* Toolbar1;
    QStatusBar* sbStatusBar;
    QList<QLabel*> panels; // the five status panels, left to right

    struct Command {
        const char* menuName;
        const char* formName; // null: not a window
        bool modal;
    };
    // The menu commands that open a window, with the form each opens.
    static const QList<Command>& windowCommands();
    // The window command of a menu item; throws std::logic_error for an item that opens no window.
    static const Command& command(const char* menuName);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildToolbar();
    void buildStatusBar();
    QList<QPointer<QWidget>> opened_; // windows opened from here, in load order
    QList<QPair<int, double>> placement_; // pixels set at load, and the twips they came from
};
