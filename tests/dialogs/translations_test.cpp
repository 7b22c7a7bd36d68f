// Qt's own dialogs speak Japanese like the rest of the program.
#include "platform/gui/translations.h"
#include "platform/gui/messageboxsink.h"
#include "tests/dialogs/gui_helpers.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

class JapaneseQt : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString qm =
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
        if (!QFileInfo::exists(qm))
            GTEST_SKIP() << "Qt's Japanese translations are not installed (scripts/deps.sh)";
        ASSERT_TRUE(InstallJapaneseQtTranslations(*qApp));
    }
    void TearDown() override {
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        QLocale::setDefault(QLocale::c());
    }
    // Visible button and label texts of a window that hold a Latin word.
    static QStringList EnglishWords(QWidget* w) {
        static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
        QStringList out;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isVisible() && b->text().contains(word)) out << b->text();
        for (QLabel* l : w->findChildren<QLabel*>())
            if (l->isVisible() && l->text().contains(word)) out << l->text();
        return out;
    }
};

TEST_F(JapaneseQt, TheExitQuestionAnswersWithHaiAndIie) {
    MessageBoxSink sink;
    QStringList buttons, english;
    auto timer = testing::OnModal<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        english = EnglishWords(box);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(sink.Confirm(QStringLiteral("終了しますか")));
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons.join(' ').contains(QStringLiteral("はい")))
        << buttons.join(' ').toStdString();
    EXPECT_TRUE(buttons.join(' ').contains(QStringLiteral("いいえ")));
    EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
}

TEST_F(JapaneseQt, TheFolderChooserHasNoEnglishWord) {
    QFileDialog dialog(nullptr, QStringLiteral("作業フォルダの選択"), QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.show();
    ASSERT_TRUE(testing::WaitFor([&] { return dialog.isVisible(); }));
    const QStringList english = EnglishWords(&dialog);
    EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
    dialog.reject();
}

}  // namespace
}  // namespace tidrun
