// Mouse and keyboard input as an operator gives it.
//
// A pointer event goes to the topmost widget under the point, found the way
// the window system finds it (QWidget::childAt on the window, which skips
// hidden widgets and widgets transparent for mouse events), and from there
// it propagates to the parents as it does on screen. A test that aims at a
// control therefore also finds out when another widget covers it or when the
// control hands the press on to its group box.
//
// The window must be shown (offscreen is enough): childAt only sees visible
// widgets.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPoint>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

namespace user {

// Where a point of `target` (its own coordinates; the centre when omitted)
// lands: the widget that receives the event, and the point in its coordinates.
struct Landing {
    QWidget* widget = nullptr;
    QPoint pos;
};

inline Landing landing(QWidget* target, QPoint pos = QPoint(-1, -1))
{
    if (pos == QPoint(-1, -1)) pos = target->rect().center();
    QWidget* window = target->window();
    const QPoint inWindow = target->mapTo(window, pos);
    QWidget* hit = window->childAt(inWindow);
    if (!hit) hit = window;
    return {hit, hit->mapFrom(window, inWindow)};
}

// The widget a pointer at `pos` of `target` would reach.
inline QWidget* widgetUnder(QWidget* target, QPoint pos = QPoint(-1, -1))
{
    return landing(target, pos).widget;
}

inline void press(QWidget* target, QPoint pos = QPoint(-1, -1),
                  Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
{
    const Landing at = landing(target, pos);
    QTest::mousePress(at.widget, button, mods, at.pos);
}

inline void release(QWidget* target, QPoint pos = QPoint(-1, -1),
                    Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
{
    const Landing at = landing(target, pos);
    QTest::mouseRelease(at.widget, button, mods, at.pos);
}

inline void click(QWidget* target, QPoint pos = QPoint(-1, -1),
                  Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
{
    const Landing at = landing(target, pos);
    QTest::mouseClick(at.widget, button, mods, at.pos);
}

inline void doubleClick(QWidget* target, QPoint pos = QPoint(-1, -1),
                        Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
{
    // A person's double click is a click followed by the second press that
    // the window system reports as a double click; item views only report
    // a double click on the item their first press landed on.
    const Landing at = landing(target, pos);
    QTest::mouseClick(at.widget, button, mods, at.pos);
    QTest::mouseDClick(at.widget, button, mods, at.pos);
}

// Brings the tab pages that hold `control` to the front by clicking their
// tabs, outermost first, as an operator would before using the control.
inline void showTabOf(QWidget* control)
{
    QList<QWidget*> chain;
    for (QWidget* w = control; w; w = w->parentWidget())
        chain.prepend(w);
    for (QWidget* w : chain) {
        QWidget* stack = w->parentWidget();
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (!tabs)
            continue;
        const int index = tabs->indexOf(w);
        if (index >= 0 && tabs->currentIndex() != index)
            click(tabs->tabBar(), tabs->tabBar()->tabRect(index).center());
    }
}

// Types text one key at a time. QTest::keyClicks knows ASCII keys only;
// other characters (Polish letters) arrive as the key event a keyboard
// layout sends for them: no key code, the character as its text.
inline void keyClicks(QWidget* field, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(field, QString(c));
        } else {
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), {});
            QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), {});
        }
    }
}

// Clicks into a text field, selects what it holds and types `text` over it,
// one key at a time, so that length limits, masks and validators apply.
inline void typeInto(QWidget* field, const QString& text)
{
    click(field);
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        keyClicks(field, text);
}

} // namespace user
