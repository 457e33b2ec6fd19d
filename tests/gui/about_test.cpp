#include <memory>

#include <QDesktopServices>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include "about/about_window.h"
#include "about/bevel_panel.h"
#include "about/click_label.h"

namespace {

// Answers the desktop's link handling in place of a mail program or browser.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.setGeometry(140, 90, 632, 507);
        owner.show();
        form = std::make_unique<AboutWindow>(&owner);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    ClickLabel* label(const char* name) const {
        return form->findChild<ClickLabel*>(QString::fromLatin1(name));
    }

    QWidget owner;
    std::unique_ptr<AboutWindow> form;
};

TEST_F(AboutWindowTest, IsABorderlessTranslucentFixedWindowCentredOverItsOwner) {
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->windowType(), Qt::Dialog);
    EXPECT_EQ(form->size(), QSize(355, 239));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_NEAR(form->windowOpacity(), 180 / 255.0, 1e-3);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(128, 0, 128));
    EXPECT_EQ(form->backgroundPanel->geometry(), form->rect());
    const QPoint offset = form->frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST_F(AboutWindowTest, OneLineLabelsShowTheirWholeTextCentredOnTheWindow) {
    for (const char* name : {"Label5", "Label6", "Label7", "Label3", "Label8", "Label2"}) {
        SCOPED_TRACE(name);
        ClickLabel* l = label(name);
        ASSERT_NE(l, nullptr);
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width());
        EXPECT_NEAR(l->geometry().center().x(), 177, 2);
        EXPECT_TRUE(form->rect().contains(l->geometry()));
    }
}

TEST_F(AboutWindowTest, TheNoticeStatesTheLicence) {
    EXPECT_EQ(form->noticeLabel->text(),
              QStringLiteral("Wolny program na licencji GNU GPL w wersji 3 lub późniejszej"));
}

TEST_F(AboutWindowTest, AClickAnywhereButOnALinkClosesTheWindow) {
    struct Case {
        const char* name;
        QPoint at;  // null: the widget's centre
    };
    for (const Case& c : {Case{"Panel1", QPoint(10, 140)}, Case{"Label1", {}}, Case{"Label2", {}},
                          Case{"Label3", {}}, Case{"Label5", {}}, Case{"Label6", {}}}) {
        SCOPED_TRACE(c.name);
        form = std::make_unique<AboutWindow>(&owner);
        form->show();
        QSignalSpy finished(form.get(), &QDialog::finished);
        auto* target = form->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, c.at.isNull() ? target->rect().center() : c.at);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(finished.count(), 1);
    }
}

TEST_F(AboutWindowTest, LinksOpenMailAndWebPageAndKeepTheWindowOpen) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");

    QTest::mouseClick(form->mailLink, Qt::LeftButton, {}, form->mailLink->rect().center());
    QTest::mouseClick(form->webLink, Qt::LeftButton, {}, form->webLink->rect().center());
    QTest::mouseClick(form->mailLink, Qt::LeftButton, {}, form->mailLink->rect().center());

    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(recorder.opened.size(), 3);
    EXPECT_EQ(recorder.opened[0].toString(), QStringLiteral("mailto:kestrix@example.org?subject=temacik"));
    EXPECT_EQ(recorder.opened[1].toString(), QStringLiteral("http://kestrix.example.org"));
    EXPECT_EQ(recorder.opened[2], recorder.opened[0]);
}

TEST_F(AboutWindowTest, LinksUnderlineWhileThePointerIsOverThem) {
    for (ClickLabel* link : {form->mailLink, form->webLink}) {
        SCOPED_TRACE(link->objectName().toStdString());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        const QColor colour = link->palette().color(QPalette::WindowText);

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(link, &enter);
        EXPECT_TRUE(link->font().underline());
        EXPECT_FALSE(link->font().bold() || link->font().italic() || link->font().strikeOut());

        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(link, &leave);
        EXPECT_FALSE(link->font().underline());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), colour);
    }
}

}  // namespace

#include "about_test.moc"
