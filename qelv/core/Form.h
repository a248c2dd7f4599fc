#pragma once
// A window of the program whose unload steps (Form_Unload) run exactly once, however it closes: its
// close box, its own Close button or Esc, done(), the main window closing it, or its destruction
// before it was ever shown (a subclass's destructor calls unloadOnce()).
#include <QCloseEvent>
#include <QDialog>

class Form : public QDialog {
public:
    using QDialog::QDialog;

    virtual void Form_Unload() { }

    void done(int result) override
    {
        unloadOnce();
        QDialog::done(result);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QDialog::closeEvent(event);
        if (event->isAccepted())
            unloadOnce();
    }

    void unloadOnce()
    {
        if (unloaded_)
            return;
        unloaded_ = true;
        Form_Unload();
    }

private:
    bool unloaded_ = false;
};
