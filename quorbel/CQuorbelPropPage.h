// The control's one property page, "General": a static text on what the control does. It has no fields
// and changes nothing. Its text label carries the object name lblText.
#pragma once

#include <QString>
#include <QWidget>

namespace quorbel {

class CQuorbelPropPage : public QWidget {
    Q_OBJECT
public:
    explicit CQuorbelPropPage(QWidget* parent = nullptr);

    QString caption() const { return windowTitle(); }
    const QString& helpString() const { return m_helpString; }
    const QString& helpFile() const { return m_helpFile; }
    int helpContext() const { return m_helpContext; }

private:
    QString m_helpString;
    QString m_helpFile;
    int m_helpContext = 0;
};

} // namespace quorbel
