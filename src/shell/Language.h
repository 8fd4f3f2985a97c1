#pragma once

#include <QObject>
#include <QString>

namespace shell {

// The program's language and what follows from it: a text in that language
// and a message box with that language's caption. The number itself is the
// stored setting (0 Chinese, 1 English, 2 the texts the forms were built
// with); this is its only writer and tells everyone who listens when it
// changes. Any language but English reads and tells the Chinese text.
class Language : public QObject {
    Q_OBJECT
public:
    explicit Language(int& stored, QObject* parent = nullptr);

    int index() const { return m_stored; }
    bool english() const { return m_stored == 1; }
    // Stores language; languageChanged follows when it differs.
    void set(int language);

    QString text(const QString& zh, const QString& en) const;
    // A message in the current language, captioned "提示" or "Information".
    void tell(const QString& zh, const QString& en) const;
    // The same for a stored language number, for parts given only that.
    static QString text(int language, const QString& zh, const QString& en);
    static void tell(int language, const QString& zh, const QString& en);
    // A message the program has only in Chinese, captioned "提示" in every
    // language.
    static void tellChinese(const QString& zh);

signals:
    void languageChanged(int language);

private:
    int& m_stored;
};

} // namespace shell
