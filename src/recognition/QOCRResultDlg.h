#pragma once

#include <QByteArray>
#include <QDialog>

class QAction;

namespace Ui {
class QOCRResultDlg;
}

// The recognised text of a page: read, edited, copied, and saved in the
// format chosen for OCR results (a PDF of the page itself, searchable, while
// the text is unedited) ("保存" / "Save" in the text's context menu,
// or Ctrl+S). Created once and reused; closing only hides it.
class QOCRResultDlg : public QDialog {
    Q_OBJECT
public:
    explicit QOCRResultDlg(QWidget* parent = nullptr);
    ~QOCRResultDlg() override;

    // Replaces the whole text.
    void setOCRText(const QString& text);
    // The page picture (JPEG bytes) the engine read engineText from: while
    // the window's text is still that text, a PDF export is the picture with
    // its words laid over it; empty picture for none.
    void setPage(const QByteArray& picture, const QString& engineText);
    QString ocrText() const;

    // The kept export extension ("rtf", "xls", "pdf", "txt"); "rtf" at first.
    void setExportExtension(const QByteArray& extension);
    QByteArray exportExtension() const { return extension; }

    // 0 Chinese, 1 English: the save action and the messages.
    void setLanguage(int language);

    // Writes the current text to path in the kept format; false after the
    // user has been told why not.
    bool saveTo(const QString& path);
    // Asks for a file name and saves there.
    void save();

    QAction* saveAction() const { return saveAct; }

    Ui::QOCRResultDlg* ui;

private:
    QByteArray extension = "rtf";
    QByteArray pagePicture;
    QString pageText;
    int language = 0;
    QAction* saveAct = nullptr;
};
