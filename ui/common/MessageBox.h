#pragma once

#include "core/Texts.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// Every message box of the program goes through here, so tests can read what was asked and answer
// it (no real dialog is shown in test mode). Text is always shown as plain text, never as markup.
class MessageBox {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Exclamation };
    enum class Answer { Ok, Yes, No };

    struct Record {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };

    static Answer show(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
                       Icon icon = Icon::None, const QString& title = Texts::AppTitle);
    static void inform(QWidget* parent, const QString& text, Icon icon = Icon::None) {
        show(parent, text, Buttons::Ok, icon);
    }
    static bool askYesNo(QWidget* parent, const QString& text, const QString& title = Texts::AppTitle) {
        return show(parent, text, Buttons::YesNo, Icon::None, title) == Answer::Yes;
    }
    // An OK-only box that opens and returns at once, without an event loop of its own, so nothing
    // that runs meanwhile (a check waiting on the network) is held up until it is closed. It keeps
    // input from its parent window while open; the same note for the same window is shown once.
    static void note(QWidget* parent, const QString& text, Icon icon = Icon::None);
    // The real box as show() and note() open it, not yet shown (also in test mode, so tests can
    // measure it).
    static std::unique_ptr<QMessageBox> build(QWidget* parent, const Record& record);
    // Makes the box at least as wide as its title needs, so the window manager does not cut the title.
    // Call it last, after text, icon and buttons are set: setting those lays the box out anew.
    static void FitTitle(QMessageBox& box);

    // --- test mode ---
    // In test mode no dialog is shown: each box is recorded and answered from the queue, or by the
    // answerer when the queue is empty, or with Yes/OK when neither is set. The answerer runs while
    // the "box is open", so a test can deliver events (a timer tick, a quit) at that moment. A note
    // is only recorded: nothing waits for its answer.
    static void enableTestMode(bool enabled = true);
    static bool testMode();
    static void setNextAnswer(Answer answer);
    static void setAnswerer(std::function<Answer(const Record&)> answerer);
    static QList<Record> takeRecords();
    static void resetTestMode(); // clears queue, answerer and records; stays in test mode
};
