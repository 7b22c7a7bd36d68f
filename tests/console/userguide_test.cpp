// ヘルプ → 取扱説明書: the guide's HTML beside the program's folder, as the build and the
// package lay it out, handed to the system's browser; a missing guide said once.
#include "console/gui/mainform.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/messagesink.h"

namespace tidrun {
namespace {

// Stands in for the browser: takes the file URLs that QDesktopServices hands out.
class Browser : public QObject {
    Q_OBJECT
  public:
    Browser() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~Browser() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened << url; }
};

QAction* GuideAction(TMainForm& form) {
    for (QAction* menu : form.menuBar()->actions())
        if (menu->menu() && menu->text() == QStringLiteral("ﾍﾙﾌﾟ(&H)"))
            for (QAction* a : menu->menu()->actions())
                if (a->text() == QStringLiteral("取扱説明書")) return a;
    return nullptr;
}

TEST(UserGuide, TheHelpMenuOpensTheGuideBesideTheProgram) {
    QTemporaryDir root;
    const QString bin = root.filePath("usr/bin");
    const QString index = root.filePath("usr/share/doc/tidrun/guide/index.html");
    ASSERT_TRUE(QDir().mkpath(bin));
    Browser browser;
    RecordingSink sink;
    TMainForm form(sink, bin);
    QAction* guide = GuideAction(form);
    ASSERT_NE(guide, nullptr);

    guide->trigger();  // not there: said once, nothing opened
    EXPECT_EQ(sink.Texts(),
              QStringList{QStringLiteral("取扱説明書が見つかりません\r\nﾌｧｲﾙ名：") + index});
    EXPECT_TRUE(browser.opened.isEmpty());

    ASSERT_TRUE(QDir().mkpath(QFileInfo(index).path()));
    QFile page(index);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly) && page.write("<html></html>") > 0);
    page.close();
    sink.entries.clear();
    guide->trigger();
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl::fromLocalFile(index)});
}

}  // namespace
}  // namespace tidrun

#include "userguide_test.moc"
