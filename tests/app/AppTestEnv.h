#pragma once

// Shared set-up for tests that build the main window against the fake camera
// library: a private home folder (Documents, profile file), captured messages
// and a process end that does not end the test.

#include "FakeIdCardRecog.h"
#include "FakeOrvCore.h"
#include "app/MainForm.h"
#include "app/Resources.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "ui_MainForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>

#include <QDir>
#include <QFile>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

struct AppTestEnv {
    std::unique_ptr<QTemporaryDir> home;
    QList<QPair<QString, QString>> messages; // (text, caption)
    QList<int> exitCodes;

    // Call in init(): a fresh home and a fresh fake.
    void setUp() {
        home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", home->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home->path() + QStringLiteral("/.config")).toLocal8Bit());
        QDir(home->path()).mkpath(QStringLiteral("Documents"));
        messages.clear();
        exitCodes.clear();
        fake::core().reset();
        fake::idCardRecog().reset();
        platform::setMessageHandler([this](const QString& text, const QString& caption) {
            messages << qMakePair(text, caption);
        });
        platform::setTerminateHandler([this](int code) { exitCodes << code; });
        static bool resources = false;
        if (!resources) {
            initResources();
            resources = true;
        }
    }

    // The main window as the program builds it; gone with the returned
    // pointer, also when a check fails halfway.
    std::unique_ptr<MainForm> makeForm() const { return std::make_unique<MainForm>(); }

    QString documents() const { return home->path() + QStringLiteral("/Documents"); }
    QString profilePath() const { return documents() + QStringLiteral("/Orvanta/orvconf.ini"); }

    // Writes a profile file with the given lines under the section.
    void writeProfile(const QByteArray& body) const {
        QDir().mkpath(documents() + QStringLiteral("/Orvanta"));
        QFile f(profilePath());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("[Orv twain driver param]\n" + body);
    }

    QByteArray readProfile() const {
        QFile f(profilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// What a user sees of the main window: its windows, found as they are on
// the screen, and the working folder its path box shows (captures go there).
namespace onScreen {
// A window the main window owns, of a type (the small vice window, the
// preview, the barcode results).
template <class T, class Form> T* child(const Form& form) {
    return form->template findChild<T*>();
}
// A window of its own on the screen (the whiteboard, the snapshot window).
template <class T> T* window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (T* t = qobject_cast<T*>(w))
            return t;
    return nullptr;
}
template <class Form> QByteArray folder(const Form& form) {
    return platform::toLocal(form->widgets()->lineEditFilePath->text());
}

// The thumbnail strip as the user sees it: its items, their files and check
// marks, and its menu's "remove" over every item.
class Strip {
public:
    explicit Strip(QAbstractItemView* view) : view(view) {}
    bool isLoaded() const { return view != nullptr; }
    int count() const { return view ? view->model()->rowCount() : 0; }
    QByteArray pathAt(int row) const {
        // The strip library gives the file of an item in the role after Qt's own.
        return view ? view->model()->index(row, 0).data(Qt::UserRole + 1).toString().toLocal8Bit()
                    : QByteArray();
    }
    bool checkedAt(int row) const {
        return view && view->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    void clear() const {
        if (!view || count() == 0)
            return;
        view->selectAll();
        view->findChild<QAction*>(QStringLiteral("removeAction"))->trigger();
    }

private:
    QAbstractItemView* view;
};
template <class Form> Strip strip(const Form& form) {
    return Strip(form->template findChild<QAbstractItemView*>(QStringLiteral("orvThumbnailStrip")));
}
} // namespace onScreen
