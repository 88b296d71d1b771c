#include "ui/common/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QQueue>

// "vantrel.message": every real message box's title, text and buttons when it opens, and the answer
// when it closes. Silent unless enabled (QT_LOGGING_RULES="vantrel.message.info=true"); the desktop
// end-to-end tests read these lines, as a box's text cannot be read back from the X server.
Q_LOGGING_CATEGORY(lcMessage, "vantrel.message", QtWarningMsg)

namespace {
struct TestState {
    bool enabled = false;
    QQueue<MessageBox::Answer> answers;
    std::function<MessageBox::Answer(const MessageBox::Record&)> answerer;
    QList<MessageBox::Record> records;
};

TestState& testState() {
    static TestState state;
    return state;
}

MessageBox::Answer defaultAnswer(MessageBox::Buttons buttons) {
    return buttons == MessageBox::Buttons::YesNo ? MessageBox::Answer::Yes : MessageBox::Answer::Ok;
}

// Room for the title in the box's own layout, from which the box takes its size when it opens.
class TitleRoom : public QSpacerItem {
public:
    using QSpacerItem::QSpacerItem;
};

QMessageBox::Icon toQtIcon(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

const char* const NoteProperty = "vantrelNote";

// Title, plain text, icon and buttons, the way every box of the program looks.
void Prepare(QMessageBox& box, const QString& text, MessageBox::Buttons buttons, MessageBox::Icon icon,
             const QString& title) {
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // user-typed host names must never be read as markup
    box.setText(text);
    box.setIcon(toQtIcon(icon));
    if (buttons == MessageBox::Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    MessageBox::FitTitle(box);
}

void LogShown(const QString& text, MessageBox::Buttons buttons, const QString& title) {
    qCInfo(lcMessage) << "shown" << title << text << (buttons == MessageBox::Buttons::YesNo ? "YesNo" : "Ok");
}
} // namespace

MessageBox::Answer MessageBox::show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                                    const QString& title) {
    TestState& test = testState();
    if (test.enabled) {
        const Record record{text, title, buttons, icon};
        test.records.append(record);
        if (!test.answers.isEmpty())
            return test.answers.dequeue();
        if (test.answerer)
            return test.answerer(record);
        return defaultAnswer(buttons);
    }

    QMessageBox box(parent);
    Prepare(box, text, buttons, icon, title);
    LogShown(text, buttons, title);
    const int result = box.exec();
    const Answer answer =
        buttons == Buttons::Ok ? Answer::Ok : (result == QMessageBox::Yes ? Answer::Yes : Answer::No);
    qCInfo(lcMessage) << "answered" << (answer == Answer::Ok ? "Ok" : answer == Answer::Yes ? "Yes" : "No");
    return answer;
}

void MessageBox::note(QWidget* parent, const QString& text, Icon icon) {
    TestState& test = testState();
    if (test.enabled) {
        test.records.append({text, Texts::AppTitle, Buttons::Ok, icon});
        return;
    }
    if (parent) {
        for (QMessageBox* open : parent->findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly)) {
            if (open->property(NoteProperty).toString() == text && open->isVisible()) {
                open->raise();
                open->activateWindow();
                return;
            }
        }
    }
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setProperty(NoteProperty, text);
    Prepare(*box, text, Buttons::Ok, icon, Texts::AppTitle);
    LogShown(text, Buttons::Ok, Texts::AppTitle);
    QObject::connect(box, &QMessageBox::finished, [] {
        qCInfo(lcMessage) << "answered"
                          << "Ok";
    });
    box->open();
}

std::unique_ptr<QMessageBox> MessageBox::build(QWidget* parent, const Record& record) {
    auto box = std::make_unique<QMessageBox>(parent);
    Prepare(*box, record.text, record.buttons, record.icon, record.title);
    return box;
}

void MessageBox::FitTitle(QMessageBox& box) {
    // The window manager draws the title in a font of its own, not known here: taken as the
    // application's font in bold, with room for the window's icon and three buttons, each as wide as
    // a title bar is high.
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 4 * (metrics.height() + 10);
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    for (int i = 0; i < grid->count(); ++i) {
        if (auto* room = dynamic_cast<TitleRoom*>(grid->itemAt(i))) {
            room->changeSize(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
            grid->invalidate();
            return;
        }
    }
    grid->addItem(new TitleRoom(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

void MessageBox::enableTestMode(bool enabled) {
    testState().enabled = enabled;
}
bool MessageBox::testMode() {
    return testState().enabled;
}
void MessageBox::setNextAnswer(Answer answer) {
    testState().answers.enqueue(answer);
}
void MessageBox::setAnswerer(std::function<Answer(const Record&)> answerer) {
    testState().answerer = std::move(answerer);
}
QList<MessageBox::Record> MessageBox::takeRecords() {
    return std::exchange(testState().records, {});
}
void MessageBox::resetTestMode() {
    TestState& test = testState();
    test.answers.clear();
    test.answerer = nullptr;
    test.records.clear();
}
