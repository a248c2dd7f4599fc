#pragma once
// Lets a window see every key pressed in it before the control that has the focus, once per press
// however far the key then travels up through the control's parents. The handler gets the control
// that received the key and says whether the key is kept from it.
#include <QObject>
#include <QPointer>
#include <Qt>
#include <functional>

class QKeyEvent;
class QWidget;

class KeyPreview : public QObject {
public:
    using Handler = std::function<bool(QObject* receiver, int keyCode, Qt::KeyboardModifiers shift)>;
    KeyPreview(QWidget* window, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    Handler handler_;
    // The key press being delivered, so that its way up through the parents runs it only once.
    const QEvent* inFlight_ = nullptr;
    QPointer<QWidget> receiver_;
    int keyCode_ = 0;
    Qt::KeyboardModifiers shift_;
    bool kept_ = false;
};
