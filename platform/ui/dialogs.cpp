#include "platform/ui/dialogs.h"

#include "platform/error/error.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <deque>

namespace ui {

namespace {

struct Script {
    bool enabled = false;
    std::deque<Answer> answers;
    std::deque<QString> inputs;
    std::deque<QString> fileNames;
    std::vector<testing::Shown> shown;
    int beeps = 0;
};

Script& script()
{
    static Script s;
    return s;
}

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Answer unansweredDefault(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::No;
    }
    return Answer::Ok;
}

} // namespace

Answer msgBox(const QString& text, Buttons buttons, Icon icon, const QString& title, QWidget* parent)
{
    Script& s = script();
    if (s.enabled) {
        s.shown.push_back({testing::Shown::Message, text, title, buttons, icon, QString()});
        if (s.answers.empty())
            return unansweredDefault(buttons);
        const Answer a = s.answers.front();
        s.answers.pop_front();
        return a;
    }
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::NoButton, parent ? parent : QApplication::activeWindow());
    // Buttons with Chinese captions; each maps back to its answer.
    auto add = [&box](const char* caption, QMessageBox::ButtonRole role, Answer answer) {
        QPushButton* b = box.addButton(QString::fromUtf8(caption), role);
        b->setProperty("answer", static_cast<int>(answer));
        return b;
    };
    switch (buttons) {
    case Buttons::Ok:
        box.setDefaultButton(add("确定", QMessageBox::AcceptRole, Answer::Ok));
        break;
    case Buttons::OkCancel:
        box.setDefaultButton(add("确定", QMessageBox::AcceptRole, Answer::Ok));
        box.setEscapeButton(add("取消", QMessageBox::RejectRole, Answer::Cancel));
        break;
    case Buttons::YesNo:
        box.setDefaultButton(add("是(&Y)", QMessageBox::YesRole, Answer::Yes));
        box.setEscapeButton(add("否(&N)", QMessageBox::NoRole, Answer::No));
        break;
    case Buttons::YesNoCancel:
        box.setDefaultButton(add("是(&Y)", QMessageBox::YesRole, Answer::Yes));
        add("否(&N)", QMessageBox::NoRole, Answer::No);
        box.setEscapeButton(add("取消", QMessageBox::RejectRole, Answer::Cancel));
        break;
    }
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton())
        return static_cast<Answer>(clicked->property("answer").toInt());
    return unansweredDefault(buttons);
}

bool askYesNo(const QString& text, const QString& title, QWidget* parent)
{
    return msgBox(text, Buttons::YesNo, Icon::Question, title, parent) == Answer::Yes;
}

QString inputBox(const QString& prompt, const QString& title, const QString& proposed, QWidget* parent)
{
    Script& s = script();
    if (s.enabled) {
        s.shown.push_back({testing::Shown::Input, prompt, title, Buttons::OkCancel, Icon::None, proposed});
        if (s.inputs.empty())
            return QString();
        const QString t = s.inputs.front();
        s.inputs.pop_front();
        return t;
    }
    QInputDialog dialog(parent ? parent : QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

bool runDialog(const QString& title, const std::function<bool()>& show)
{
    Script& s = script();
    if (s.enabled) {
        s.shown.push_back({testing::Shown::Dialog, title, title, Buttons::OkCancel, Icon::None, QString()});
        if (s.answers.empty())
            return false;
        const Answer a = s.answers.front();
        s.answers.pop_front();
        return a == Answer::Ok || a == Answer::Yes;
    }
    return show();
}

QString openFileName(const QString& title, QWidget* parent)
{
    Script& s = script();
    if (s.enabled) {
        s.shown.push_back({testing::Shown::Dialog, title, title, Buttons::OkCancel, Icon::None, QString()});
        if (s.fileNames.empty())
            return QString();
        const QString path = s.fileNames.front();
        s.fileNames.pop_front();
        return path;
    }
    return QFileDialog::getOpenFileName(parent ? parent : QApplication::activeWindow(), title);
}

QString describe(const std::exception& e)
{
    return platform::describe(e);
}

void showError(const std::exception& e, QWidget* parent)
{
    showError(describe(e), parent);
}

void inform(const QString& text, QWidget* parent)
{
    msgBox(text, Buttons::Ok, Icon::Information, QString::fromUtf8(appTitle), parent);
}

void showError(const QString& description, QWidget* parent)
{
    msgBox(description, Buttons::Ok, Icon::None, QString::fromUtf8(appTitle), parent);
}

void showingErrors(QWidget* parent, const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& e) {
        showError(e, parent);
    }
}

void beep()
{
    Script& s = script();
    ++s.beeps;
    if (!s.enabled)
        QApplication::beep();
}

namespace testing {

void enable()
{
    Script& s = script();
    s = Script{};
    s.enabled = true;
}

void disable()
{
    script() = Script{};
}

bool enabled()
{
    return script().enabled;
}
void answer(Answer a)
{
    script().answers.push_back(a);
}
void answerInput(const QString& text)
{
    script().inputs.push_back(text);
}
void answerFile(const QString& path)
{
    script().fileNames.push_back(path);
}
const std::vector<Shown>& shown()
{
    return script().shown;
}

QStringList shownTexts()
{
    QStringList out;
    for (const Shown& s : script().shown)
        out << s.text;
    return out;
}

void clearShown()
{
    script().shown.clear();
}
int beeps()
{
    return script().beeps;
}

} // namespace testing

} // namespace ui
