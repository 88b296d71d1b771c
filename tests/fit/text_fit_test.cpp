// Every window and message box of the program, at the desktop font sizes a user may have; the
// program runs this at several scale factors (QT_SCALE_FACTOR, set by the test's registration).
#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "monitor/CycleTexts.h"
#include "tests/fit/TextFit.h"
#include "tests/support/TempConfigHome.h"
#include "ui/about/frmAbout.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Twips.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmOptions.h"
#include "ui/tray/RecordingTrayBackend.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Window = std::unique_ptr<QWidget>;

// Services with host names of common lengths; every time-out of ten seconds or more shows five digits.
Window MainWindow(int rows) {
    frmMain::Options options;
    options.trayBackend = std::make_unique<RecordingTrayBackend>();
    options.trayAvailable = true;
    auto window = std::make_unique<frmMain>(std::move(options));
    CheckState& state = window->checkState();
    ServicePairs services;
    for (int i = 0; i < rows; ++i) {
        services.append({i % 2 ? QStringLiteral("mail") : QStringLiteral("intranet-%1.example.com").arg(i),
                         QStringLiteral("192.0.2.%1:80").arg(i + 1)});
        state.ServiceUp.append(i % 3 != 1);
        state.ResponseTime.append(i % 3 == 1 ? 12009.0f : 47.0f);
    }
    if (rows > 0)
        state.ServiceList = services;
    state.LastCheckTime = QDateTime(QDate(2024, 12, 28), QTime(23, 59, 58));
    window->txtHostName()->setText(QStringLiteral("intranet-1.example.com"));
    window->txtIPAddr()->setText(QStringLiteral("255.255.255.255"));
    window->cboPortLookup()->setCurrentIndex(1);
    window->txtPort()->setText(QStringLiteral("65535"));
    window->show();
    window->DisplayServiceStatus();
    return window;
}

// The widest values each control of the dialog can show.
Window Options(bool settingsPage) {
    const QString app = StoreNames::App, settings = StoreNames::Settings;
    SaveSetting(app, StoreNames::Services, "mail.example.com", "255.255.255.255:65535");
    SaveSetting(app, settings, StoreNames::Green, "100");
    SaveSetting(app, settings, StoreNames::Yellow, "100");
    SaveSetting(app, settings, StoreNames::Frequency, "3");
    SaveSetting(app, settings, StoreNames::Timeout, "30");
    static const CheckState state;
    auto dialog = std::make_unique<frmOptions>(state);
    dialog->show();
    dialog->findChild<QPushButton*>("btnAdd")->click();
    dialog->findChild<QLineEdit*>("txtHostName")->setText("mail.example.com");
    for (const char* octet : {"txtIP1", "txtIP2", "txtIP3", "txtIP4"})
        dialog->findChild<QLineEdit*>(octet)->setText("255");
    dialog->findChild<QLineEdit*>("txtPort")->setText("65535");
    dialog->findChild<QComboBox*>("cboPortLookup")->setCurrentIndex(1);
    dialog->findChild<QTabBar*>("tbsOptions")->setCurrentIndex(settingsPage ? 1 : 0);
    return dialog;
}

Window About() {
    auto about = std::make_unique<frmAbout>();
    about->show();
    return about;
}

// Each box the program can show, the shortest and the longest texts among them.
Window Box(const MessageBox::Record& record) {
    auto box = MessageBox::build(nullptr, record);
    box->show();
    return box;
}

struct Scene {
    std::string name;
    std::function<Window()> open;
};

std::vector<Scene> Scenes() {
    using B = MessageBox::Buttons;
    using I = MessageBox::Icon;
    const QString title = Texts::AppTitle;
    std::vector<Scene> scenes{
        {"main window, no rows", [] { return MainWindow(0); }},
        {"main window, 3 rows", [] { return MainWindow(3); }},
        {"main window, 30 rows", [] { return MainWindow(30); }},
        {"options, Services page", [] { return Options(false); }},
        {"options, Settings page", [] { return Options(true); }},
        {"about box", About},
    };
    const QList<MessageBox::Record> boxes{
        {QStringLiteral("Currently checking services. Please wait"), title, B::Ok, I::None},
        {CycleTexts::NoServicesQuestion, title, B::YesNo, I::None},
        {CycleTexts::NoServicesHint, title, B::Ok, I::None},
        {Texts::UnknownHost, title, B::Ok, I::None},
        {QStringLiteral("Invalid port"), title, B::Ok, I::None},
        {QStringLiteral("Invalid IP Address"), title, B::Ok, I::None},
        {Texts::InvalidIPAddress, title, B::Ok, I::None},
        {Texts::InvalidHostName, title, B::Ok, I::None},
        {QStringLiteral("Success!"), title, B::Ok, I::Information},
        {QStringLiteral("Failed to connect"), title, B::Ok, I::Exclamation},
        {Texts::OverwriteQuestion, title, B::YesNo, I::None},
        {Texts::ServiceSaved("intranet-1.example.com", "192.0.2.1:65535"), title, B::Ok, I::None},
        {QStringLiteral("Refresh service status display?"), QStringLiteral("Service change"), B::YesNo,
         I::None},
        {Texts::StoreWriteFailed(QStringLiteral("No space left on device")), title, B::Ok, I::None},
        {Texts::StoreUnusable(
             QStringLiteral("the folder /home/someone/.config/Vantrel can be written by other users")),
         title, B::Ok, I::None},
        {QStringLiteral("Delete the intranet-1.example.com service?"), title, B::YesNo, I::None},
        {QStringLiteral("Checking services. Please try later"), title, B::Ok, I::None},
        {QStringLiteral("Invalid port number"), title, B::Ok, I::None},
        {QStringLiteral("Timeout value must be numeric, whole, positive and no greater than 30"), title,
         B::Ok, I::None},
        {QStringLiteral("Timeout value must be a positive, whole number of seconds no greater than than 30"),
         title, B::Ok, I::None},
        {QStringLiteral("System Information Is Unavailable At This Time"), title, B::Ok, I::None},
    };
    for (const MessageBox::Record& record : boxes)
        scenes.push_back(
            {"message box \"" + record.text.toStdString() + "\"", [record] { return Box(record); }});
    return scenes;
}

class TextFit : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        m_font = QApplication::font();
        // A font whose metrics are known: what the layout's reference was measured with.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), GetParam()));
        MessageBox::resetTestMode();
    }
    void TearDown() override { QApplication::setFont(m_font); }

    TempConfigHome home;
    QFont m_font;
};

TEST_P(TextFit, EveryTextHasRoomInEveryWindow) {
    for (const Scene& scene : Scenes()) {
        const Window window = scene.open();
        QApplication::processEvents();
        const QStringList misfits = TextMisfits(window.get());
        EXPECT_TRUE(misfits.isEmpty())
            << scene.name << " \"" << window->windowTitle().toStdString() << "\" at " << GetParam()
            << " pt, scale " << window->devicePixelRatio() << ":\n  " << misfits.join("\n  ").toStdString();
    }
}

// A stored window size keeps its meaning for the font the layouts were drawn for.
TEST(TwipsScale, TheReferenceFontKeepsFifteenTwipsToAPixel) {
    QWidget window;
    window.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    EXPECT_EQ(TwipsScale(&window).X(5535), TwipsToPixels(5535, window.logicalDpiX()));
    window.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    EXPECT_GT(TwipsScale(&window).Factor(), 1.3);
}

INSTANTIATE_TEST_SUITE_P(WindowFont, TextFit, ::testing::Values(8, 9, 10, 11, 12),
                         [](const auto& info) { return std::to_string(info.param) + "pt"; });

} // namespace
