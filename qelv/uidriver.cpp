#include "qelv/uidriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace uidriver {

namespace {

struct Driver {
    QStringList steps;
    int next = 0;
    bool failed = false;
    QElapsedTimer stepClock;
};

Driver& driver()
{
    static Driver d;
    return d;
}

void report(const QString& line)
{
    std::fprintf(stdout, "uidriver: %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

template <typename T> T* findVisible(const QString& name)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == name)
            if (auto* t = qobject_cast<T*>(top))
                return t;
        for (T* child : top->findChildren<T*>(name))
            if constexpr (std::is_base_of_v<QWidget, T>) {
                if (child->isVisible())
                    return child;
            } else {
                return child;
            }
    }
    return nullptr;
}

QString textOf(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    return w->windowTitle();
}

// Tries the current step; true when it is done.
bool attempt(const QString& step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString object = step.section(QLatin1Char(' '), 1, 1);
    const QString rest = step.section(QLatin1Char(' '), 2);
    if (verb == QLatin1String("wait"))
        return findVisible<QWidget>(object) != nullptr;
    if (verb == QLatin1String("set")) {
        auto* e = findVisible<QLineEdit>(object);
        if (e)
            e->setText(rest);
        return e != nullptr;
    }
    if (verb == QLatin1String("click")) {
        if (auto* b = findVisible<QAbstractButton>(object)) {
            QTimer::singleShot(0, b, &QAbstractButton::click);
            return true;
        }
        if (auto* a = findVisible<QAction>(object)) {
            QTimer::singleShot(0, a, &QAction::trigger);
            return true;
        }
        return false;
    }
    if (verb == QLatin1String("expect")) {
        auto* w = findVisible<QWidget>(object);
        return w && textOf(w) == rest;
    }
    if (verb == QLatin1String("msgbox")) {
        const QString text = step.section(QLatin1Char(' '), 1);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (box && box->isVisible() && box->text() == text) {
                QAbstractButton* b = box->defaultButton();
                if (!b)
                    b = box->buttons().value(0);
                QTimer::singleShot(0, b, &QAbstractButton::click);
                return true;
            }
        }
        return false;
    }
    if (verb == QLatin1String("close")) {
        auto* w = findVisible<QWidget>(object);
        if (w)
            QTimer::singleShot(0, w->window(), &QWidget::close);
        return w != nullptr;
    }
    report(QStringLiteral("FAIL unknown step: ") + step);
    driver().failed = true;
    return true;
}

void tick()
{
    Driver& d = driver();
    if (d.failed || d.next >= d.steps.size())
        return;
    const QString step = d.steps[d.next];
    if (attempt(step)) {
        if (!d.failed)
            report(QStringLiteral("ok ") + step);
        ++d.next;
        d.stepClock.restart();
    } else if (d.stepClock.elapsed() > 10000) {
        report(QStringLiteral("FAIL ") + step);
        d.failed = true;
        QApplication::exit(3);
        // A modal loop of its own may be running: leave the process outright.
        std::fflush(stdout);
        std::_Exit(3);
    }
}

} // namespace

void startFromEnvironment()
{
    const QString path = qEnvironmentVariable("QELV_UI_SCRIPT");
    if (path.isEmpty())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(QStringLiteral("FAIL cannot read ") + path);
        driver().failed = true;
        return;
    }
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char('#')))
            driver().steps << t;
    }
    driver().stepClock.start();
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, &tick);
    timer->start(50);
}

int exitCode(int normal)
{
    const Driver& d = driver();
    if (d.failed || d.next < d.steps.size()) {
        if (!d.failed)
            report(QStringLiteral("FAIL script left undone at: ") + d.steps.value(d.next));
        return 3;
    }
    return normal;
}

} // namespace uidriver
