#pragma once
// A fresh program for every test: the recording browser, known addresses, no windows yet.

#include <gtest/gtest.h>

#include <QAction>

#include "app/frmMain.h"
#include "controls/Register.h"
#include "platform/browser/RecordingBrowser.h"
#include "platform/forms/Instances.h"
#include "platform/sound/Sound.h"
#include "support/Ui.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::browser::RecordingBrowser::Install();
        platform::forms::Placeholders p;
        p.portal = QStringLiteral("http://portal.test");
        p.portalHost = QStringLiteral("portal.test");
        p.webmail = QStringLiteral("mail.test");
        p.guestUser = QStringLiteral("guest");
        p.guestPassword = QStringLiteral("secret");
        platform::forms::SetPlaceholders(p);
        platform::forms::SetDesignDirectory({});
        platform::forms::SetUnhandledErrorHandler(
            [this](const QString& m) { unhandled.push_back(m); });
        controls::RegisterControls();
        auto player = std::make_unique<platform::sound::RecordingPlayer>();
        sounds = player.get();
        platform::sound::SetPlayer(std::move(player));
    }
    void TearDown() override {
        platform::forms::DestroyInstances();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::forms::SetUnhandledErrorHandler({});
        EXPECT_TRUE(unhandled.empty()) << unhandled.front().toStdString();
    }

    frmMain& ShowMain() {
        auto& main = platform::forms::Instance<frmMain>();
        main.Show();
        return main;
    }
    static std::vector<platform::browser::BrowserCall>& Calls() {
        return platform::browser::RecordingBrowser::Log();
    }

    std::vector<QString> unhandled;
    platform::sound::RecordingPlayer* sounds = nullptr;
};

// Clicks control `name` of `w` as a person would, or triggers the menu entry of that name.
inline void Activate(platform::forms::FormWindow& w, const QString& name) {
    QObject* o = w.Find(name);
    ASSERT_NE(o, nullptr) << name.toStdString();
    if (auto* action = qobject_cast<QAction*>(o)) {
        action->trigger();
    } else {
        testsupport::Click(qobject_cast<QWidget*>(o));
    }
}
