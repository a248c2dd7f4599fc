#pragma once
// The preamble of a window with a fixed border: its flags, name, caption, modality and client size
// in twips, the size then fixed.
#include <QDialog>
#include <QString>

namespace ui {

// A fixed dialog border with a title and a close box.
inline constexpr Qt::WindowFlags fixedDialogFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

struct FixedDialog {
    const char* formName;
    QString caption;
    double clientWidth; // twips
    double clientHeight;
    bool modal = false;
    // The border is set here; false for a window that chose its flags when constructed.
    bool setFlags = true;
};

void setUpFixedDialog(QDialog* window, const FixedDialog& design);

} // namespace ui
