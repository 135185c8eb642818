// The program's host: the module beside the program, a modal box closed by OK.
#include "saver/resize/QtResizeHost.h"
#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

namespace slidora {
namespace {

using test::ensureApplication;

TEST(QtResizeHost, LooksBesideTheProgram) {
    ensureApplication();
    const QtResizeHost host("/opt/slidora");
    EXPECT_EQ(host.modulePath(), "/opt/slidora/libresize32.so");
    EXPECT_FALSE(host.NoResizeMsg);
}

TEST(QtResizeHost, ShowsTheTextUntilOkIsPressed) {
    ensureApplication();
    QApplication::setApplicationDisplayName("Slidora Saver");
    QString text;
    QString title;
    bool timedOut = false;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            text = box->text();
            title = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        } else if (elapsed.elapsed() > 20000) {
            timedOut = true;
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    poll.start();
    QtResizeHost host("/opt/slidora");
    host.showMessage("Not Found RESIZE32.DLL");
    poll.stop();
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(text.toStdString(), "Not Found RESIZE32.DLL");
    EXPECT_EQ(title.toStdString(), "Slidora Saver");
}

} // namespace
} // namespace slidora
