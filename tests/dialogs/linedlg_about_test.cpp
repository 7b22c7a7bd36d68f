// The line-name dialog, the about box and the splash screen.
#include "console/gui/dialogs/aboutbox.h"
#include "console/gui/dialogs/linedlgform.h"
#include "console/gui/dialogs/splash.h"
#include "platform/messagesink.h"
#include "tests/dialogs/gui_helpers.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using testing::WaitFor;

TEST(LineDlgFormTest, RefusesBlankAndQuotedNamesKeepingTheFocusInTheEdit) {
    RecordingSink sink;
    TLineDlgForm dlg(sink);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("収録開始"));
    EXPECT_EQ(dlg.edtLineName->maxLength(), 50);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return dlg.edtLineName->hasFocus(); }));

    struct Case {
        QString name;
        QString error;
    };
    const Case refused[] = {
        {QString(), QStringLiteral("測線名を入力して下さい")},
        {QStringLiteral(" \t　 "), QStringLiteral("測線名を入力して下さい")},
        {QStringLiteral("\"L1"), QStringLiteral("測線名に引用符(\")は使えません")},
        {QStringLiteral("L\"1"), QStringLiteral("測線名に引用符(\")は使えません")},
        {QStringLiteral("測線😀1"),
         QStringLiteral("測線名に保存できない文字「😀」(U+1F600)があります")},
        {QStringLiteral("Ligne-à"),
         QStringLiteral("測線名に保存できない文字「à」(U+00E0)があります")},
    };
    for (const Case& c : refused) {
        sink.entries.clear();
        dlg.SetLineName(c.name);
        dlg.edtLineName->clearFocus();
        dlg.accept();
        EXPECT_EQ(sink.Texts(), QStringList{c.error});
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_TRUE(dlg.edtLineName->hasFocus());
    }
    sink.entries.clear();
    // What input methods type for ～ and − is stored as Windows stores it.
    dlg.SetLineName(QStringLiteral("  No.12 測線〜−1 "));
    dlg.accept();
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.LineName(), QStringLiteral("  No.12 測線〜−1 "));
}

TEST(LineDlgFormTest, ExecuteReturnsFalseOnCancel) {
    RecordingSink sink;
    TLineDlgForm dlg(sink);
    auto timer = testing::OnModal<TLineDlgForm>([](TLineDlgForm* d) { d->reject(); });
    EXPECT_FALSE(dlg.Execute());
}

TEST(AboutBoxTest, VersionAndLibraryLinesHaveTheirFixedForm) {
    EXPECT_EQ(TAboutBox::VersionLine(1.0, QStringLiteral("1.0.0")),
              QStringLiteral("Version 1.000000 ( 1.0.0 )"));
    EXPECT_EQ(TAboutBox::LibraryLine(QStringLiteral("V6.4.2"), QStringLiteral("v12345678901234"),
                                     QStringLiteral("6.4.2")),
              QStringLiteral("( 6.4.2-1234567890-6.4.2 )"));
    EXPECT_DOUBLE_EQ(TAboutBox::VersionNumber(QStringLiteral("2.5.1")), 2.5);
    const QString qt = QString::fromLatin1(qVersion());
    EXPECT_TRUE(TAboutBox::LibraryLine().endsWith(QLatin1Char('-') + qt + QStringLiteral(" )")));
    EXPECT_FALSE(TAboutBox::LibraryLine().contains(QLatin1Char('V')));

    TAboutBox box(1.2, QStringLiteral("1.2.0"));
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.lblVersion->text(), QStringLiteral("Version 1.200000 ( 1.2.0 )"));
    EXPECT_EQ(box.lblText->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

TEST(SplashTest, StaysOnTopAndClosesItselfAfterItsTime) {
    const QPixmap pm = TSplash::Render(QStringLiteral("1.0.0"));
    EXPECT_FALSE(pm.isNull());
    TSplash splash(QStringLiteral("1.0.0"));
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    splash.ShowAndWait(50);
    EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace tidrun
