// Test entry point: one QApplication on the offscreen platform for the whole run.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Panels animate without waiting for frames, so that a toggle takes no quarter second.
    qputenv("QUILLMERE_PANEL_PACING", "0");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
