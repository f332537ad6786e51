// The owner slot, the address rule and the sound path.

#include <gtest/gtest.h>

#include <QPointer>
#include <QWindow>

#include "platform/browser/BrowserPane.h"
#include "platform/sound/Sound.h"
#include "platform/window/Window.h"
#include "support/Ui.h"

using platform::browser::AddressToUrl;

TEST(OwnerSlotTest, OwnedWindowKeepsItsPlaceAndGoesWithItsOwner) {
    auto* owner = new QWidget;
    owner->show();
    QPointer<QWidget> tool = new QWidget(nullptr, Qt::Tool);
    tool->setGeometry(40, 50, 120, 80);
    tool->show();
    platform::window::SetOwner(tool, owner);
    EXPECT_EQ(tool->parentWidget(), owner);
    EXPECT_TRUE(tool->isWindow());
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->geometry(), QRect(40, 50, 120, 80));
    EXPECT_EQ(platform::window::OwnerOf(tool), owner);
    // What every window system (X11, Wayland) is told: the tool window is transient for its owner.
    ASSERT_NE(tool->windowHandle(), nullptr);
    EXPECT_EQ(tool->windowHandle()->transientParent(), owner->windowHandle());
    platform::window::SetOwner(tool, owner);  // again: nothing changes
    EXPECT_EQ(tool->geometry(), QRect(40, 50, 120, 80));
    delete owner;
    EXPECT_TRUE(tool.isNull());
}

TEST(AddressRuleTest, UrlsHostsAndDrivePaths) {
    EXPECT_EQ(AddressToUrl("http://sis.test/School/Profile/gui/logout.cfm?x=1").toString(),
              "http://sis.test/School/Profile/gui/logout.cfm?x=1");
    EXPECT_EQ(AddressToUrl("ftp://sis.test/School/").scheme(), "ftp");
    EXPECT_EQ(AddressToUrl("about:blank").toString(), "about:blank");
    EXPECT_EQ(AddressToUrl("mail.school.test").toString(), "http://mail.school.test/");
    EXPECT_EQ(AddressToUrl("127.0.0.1:8081").toString(), "http://127.0.0.1:8081/");
    EXPECT_EQ(AddressToUrl(" localhost:99/inbox ").toString(), "http://localhost:99/inbox");
    EXPECT_EQ(AddressToUrl("c:\\").toString(), "file:///");
    EXPECT_EQ(AddressToUrl("D:/work").toString(), "file:///");
    EXPECT_FALSE(AddressToUrl("   ").isValid());
}

TEST(SoundTest, RelativeNamesJoinTheApplicationFolder) {
    EXPECT_EQ(platform::sound::JoinAppPath("/opt/quillmere/bin", "\\Sounds\\Action.wav"),
              "/opt/quillmere/bin/Sounds/Action.wav");
    EXPECT_EQ(platform::sound::JoinAppPath("/opt/q/", "Sounds/Action.wav"),
              "/opt/q/Sounds/Action.wav");
}
