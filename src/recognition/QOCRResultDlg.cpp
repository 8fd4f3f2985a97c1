#include "recognition/QOCRResultDlg.h"

#include "recognition/OcrExport.h"
#include "shell/Language.h"
#include "ui_QOCRResultDlg.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QMenu>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

QOCRResultDlg::QOCRResultDlg(QWidget* parent) : QDialog(parent), ui(new Ui::QOCRResultDlg) {
    ui->setupUi(this);
    setFixedSize(743, 745);
    saveAct = new QAction(QStringLiteral("保存"), this);
    saveAct->setShortcut(QKeySequence::Save);
    addAction(saveAct);
    connect(saveAct, &QAction::triggered, this, [this] { save(); });
    // The editor's own menu (undo, copy, paste, ...) with saving on top.
    ui->textEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->textEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = ui->textEdit->createStandardContextMenu(at);
        QAction* first = menu->actions().value(0);
        menu->insertAction(first, saveAct);
        menu->insertSeparator(first);
        menu->exec(ui->textEdit->viewport()->mapToGlobal(at));
        delete menu;
    });
}

QOCRResultDlg::~QOCRResultDlg() {
    delete ui;
}

void QOCRResultDlg::setOCRText(const QString& text) {
    ui->textEdit->setPlainText(text);
}

QString QOCRResultDlg::ocrText() const {
    return ui->textEdit->toPlainText();
}

void QOCRResultDlg::setExportExtension(const QByteArray& ext) {
    extension = ext;
}

void QOCRResultDlg::setLanguage(int lang) {
    if (lang != 0 && lang != 1)
        return;
    language = lang;
    saveAct->setText(shell::Language::text(lang, QStringLiteral("保存"), QStringLiteral("Save")));
}

void QOCRResultDlg::setPage(const QByteArray& picture, const QString& engineText) {
    pagePicture = picture;
    pageText = engineText;
}

bool QOCRResultDlg::saveTo(const QString& path) {
    const ocrexport::Format format = ocrexport::formatFor(extension);
    const QString text = ui->textEdit->toPlainText();
    QString problem;
    if (format == ocrexport::Format::Pdf && !pagePicture.isEmpty() && text == pageText) {
        // The words are read again with their places, off the GUI thread.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        QFutureWatcher<QString> watcher;
        QEventLoop loop;
        connect(&watcher, &QFutureWatcher<QString>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(QtConcurrent::run(ocrexport::writeSearchablePdf, path, pagePicture));
        if (!watcher.isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        problem = watcher.result();
        QApplication::restoreOverrideCursor();
    } else {
        problem = ocrexport::write(path, format, text);
    }
    if (problem.isEmpty())
        return true;
    const QString shown = QDir::toNativeSeparators(path);
    // Captioned "提示" in every language, as it always was.
    shell::Language::tellChinese(
        shell::Language::text(language, QStringLiteral("保存失败: %1\n%2").arg(shown, problem),
                              QStringLiteral("Could not save %1:\n%2").arg(shown, problem)));
    return false;
}

void QOCRResultDlg::save() {
    const QString suffix = ocrexport::suffix(ocrexport::formatFor(extension));
    const QString suggested =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
        QStringLiteral("/OCR_%1.%2")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss")), suffix);
    // The dialog adds the ending itself, so its question before replacing a
    // file is about the file that will be written.
    QFileDialog dialog(
        this, shell::Language::text(language, QStringLiteral("保存"), QStringLiteral("Save")),
        suggested, QStringLiteral("*.%1").arg(suffix));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    saveTo(path);
}
