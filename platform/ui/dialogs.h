#pragma once
// Message boxes and input boxes: every window asks through these. In test mode nothing is shown:
// answers come from a script and every box is recorded, so no test ever blocks on a modal box.
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <vector>

class QWidget;

namespace ui {

inline const char* const appTitle = "Tevrano";

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Shows a message box; the title defaults to the application title.
Answer msgBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const QString& title = QString::fromUtf8(appTitle), QWidget* parent = nullptr);
// Shorthand for an information box (OK only) titled with the application title.
void inform(const QString& text, QWidget* parent = nullptr);
// Shorthand for a Yes/No question.
bool askYesNo(const QString& text, const QString& title = QString::fromUtf8(appTitle), QWidget* parent = nullptr);
// An input box: returns the typed text, or the empty text on Cancel.
QString inputBox(const QString& prompt, const QString& title = QString::fromUtf8(appTitle),
                 const QString& proposed = QString(), QWidget* parent = nullptr);
// A dialog of another layer that is accepted or cancelled (the print dialog): `show` runs it and says
// whether it was accepted. In test mode it is not run: it is recorded under its title and takes the next
// queued answer, Ok accepting it (Cancel when none is queued, as for an OK/Cancel box).
bool runDialog(const QString& title, const std::function<bool()>& show);
// The open-file dialog, with no filter and no starting folder: the full path of the chosen file, or the
// empty text when cancelled. In test mode it is not shown: it is recorded (kind Dialog, under its title)
// and takes the next queued file name (none queued: cancelled).
QString openFileName(const QString& title = QString::fromUtf8(appTitle), QWidget* parent = nullptr);
// Shows an error's description in a plain OK box titled with the application title.
void showError(const std::exception& e, QWidget* parent = nullptr);
void showError(const QString& description, QWidget* parent = nullptr);
// Runs step; an exception it throws is shown with showError instead of going further.
void showingErrors(QWidget* parent, const std::function<void()>& step);
// The description of any exception this program throws (db, convert, files errors and others).
QString describe(const std::exception& e);

// The system beep.
void beep();

namespace testing {
struct Shown {
    enum Kind { Message, Input, Dialog } kind;
    QString text;
    QString title;
    Buttons buttons;
    Icon icon;
    QString proposed;
};
// Enters test mode (idempotent) and clears the script and the record.
void enable();
void disable();
bool enabled();
// Queues answers for the next boxes, in order. A message box without a queued answer takes Ok
// (or No for a question, Cancel for OK/Cancel); an input box takes Cancel (the empty text).
void answer(Answer a);
void answerInput(const QString& text); // the text typed; "" is Cancel
void answerFile(const QString& path); // the file chosen in the next open-file dialog; "" is Cancel
const std::vector<Shown>& shown();
QStringList shownTexts();
void clearShown();
int beeps();
} // namespace testing

} // namespace ui
