// Stands in for a scanning driver: a window titled "OrvTwainDriver" that, when
// asked to close, prints the commit file it finds and exits.

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QWidget>

#include <cstdio>

class DriverStub : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override {
        QFile commit(QDir::tempPath() + QStringLiteral("/OrvCommit.txt"));
        const QByteArray bytes = commit.open(QIODevice::ReadOnly) ? commit.readAll() : "<none>";
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        event->accept();
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    DriverStub stub;
    stub.setWindowTitle(QStringLiteral("OrvTwainDriver"));
    stub.resize(200, 100);
    stub.show();
    return app.exec();
}
